// Readers still to come: each says so as a fault of the whole file.
#include "exchange/import_readers.h"

namespace exchange {

namespace {
ImportRead NotYet() {
  ImportRead read;
  read.fault = InputFault{0, "this source cannot be read yet"};
  return read;
}
}  // namespace

ImportRead ReadLdif(std::string_view, unsigned) {
  return NotYet();
}
ImportRead ReadVCards(std::string_view, unsigned) {
  return NotYet();
}
ImportRead ReadGoogleCsv(std::string_view, unsigned) {
  return NotYet();
}
ImportRead ReadOutlookCsv(std::string_view, unsigned) {
  return NotYet();
}
ImportRead ReadMuttAliases(std::string_view, unsigned) {
  return NotYet();
}
ImportRead ReadPlainCsv(std::string_view, unsigned) {
  return NotYet();
}

}  // namespace exchange
