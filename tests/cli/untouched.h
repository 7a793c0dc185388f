// Nothing is written to a mail folder: the parts of the check that differ
// by platform.
#pragma once

#include <string>

namespace untouched {

// Starts QUILLMER.EXE, which lies in `folder`, and presses every button of
// its window: a double-click on every list, "Strip Names", "Sort List",
// "&Help/About" (its box closed) and "&Browse" (its picker cancelled), then
// closes it. Each step is printed; false when one fails. Where there is no
// window to drive, says so and returns true.
bool PressEveryButton(const std::string& exe, const std::string& folder);

}  // namespace untouched
