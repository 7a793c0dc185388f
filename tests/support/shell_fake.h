// The tests' side of the headless shell layer: answers queued for the
// program's pickers, message boxes and shell requests, and the record of what
// it showed. Native builds only (the Win32 layer shows real dialogs).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/shell_headless.h"

namespace platform {

void QueuePickerAnswer(PickerAnswer answer);
// Runs while the next message box is open; a box with none queued is
// simply closed.
void QueueWhileMessageOpen(std::function<void()> whileOpen);
// The next result OpenWithShell gives; 42 (success) when none is queued.
void QueueShellResult(std::intptr_t code);

// Everything shown since the last ResetShell(), in the order shown.
const std::vector<ShownPicker>& ShownPickers();
const std::vector<ShownMessage>& ShownMessages();
const std::vector<ShellRequest>& ShellRequests();
// Number of pickers and message boxes open right now.
int OpenDialogs();
void ResetShell();

}  // namespace platform
