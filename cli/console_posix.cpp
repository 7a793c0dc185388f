#include "cli/console.h"

namespace cli {

const std::string_view kTextLineEnd = "\n";

// POSIX streams never rewrite bytes.
void UseBinaryOutput() {}

}  // namespace cli
