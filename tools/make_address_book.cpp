// make_address_book SOURCE OUTPUT: writes the address book that a readable
// text source describes (see address_book_writer.h).
#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/address_book_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_address_book SOURCE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "make_address_book: cannot read " << argv[1] << '\n';
    return 1;
  }
  in.seekg(0, std::ios::end);
  std::string source(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
  in.seekg(0, std::ios::beg);
  in.read(source.data(), static_cast<std::streamsize>(source.size()));
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  const std::string bytes = tools::AddressBookFromSource(source);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::cerr << "make_address_book: cannot write " << argv[2] << '\n';
    return 1;
  }
  return 0;
}
