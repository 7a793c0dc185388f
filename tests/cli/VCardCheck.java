// Reads a vCard file with ez-vcard and prints every validation warning,
// one per line, after the card's FN; exits 1 when there is any, or when
// the file holds no card or a line ez-vcard could not parse.
import ezvcard.VCard;
import ezvcard.ValidationWarnings;
import ezvcard.io.text.VCardReader;
import java.io.File;

public class VCardCheck {
  public static void main(String[] args) throws Exception {
    int problems = 0;
    int cards = 0;
    try (VCardReader reader = new VCardReader(new File(args[0]))) {
      VCard card;
      while ((card = reader.readNext()) != null) {
        ++cards;
        String fn = card.getFormattedName() == null ? "?" : card.getFormattedName().getValue();
        for (Object warning : reader.getWarnings()) {
          System.out.println(fn + ": parse: " + warning);
          ++problems;
        }
        ValidationWarnings warnings = card.validate(card.getVersion());
        if (!warnings.isEmpty()) {
          System.out.println(fn + ": " + warnings.toString());
          ++problems;
        }
      }
    }
    System.out.println(cards + " cards");
    System.exit(problems == 0 && cards > 0 ? 0 : 1);
  }
}
