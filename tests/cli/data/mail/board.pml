\TITLE Board
Alice
Jo Smiht
