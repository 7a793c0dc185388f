#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/console.h"

namespace cli {

const std::string_view kTextLineEnd = "\r\n";

void UseBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace cli
