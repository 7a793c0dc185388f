// Byte strings made readable in failure messages.
#pragma once

#include <string>
#include <string_view>

namespace testsupport {

// CR, LF and tab by name, other bytes outside printable ASCII in hex; a line
// break follows each LF, so that a failure shows the text's lines.
std::string Visible(std::string_view bytes);

}  // namespace testsupport
