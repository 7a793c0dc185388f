#include "tests/support/shell_fake.h"

#include <utility>

namespace platform {

using headless::Shell;

void QueuePickerAnswer(PickerAnswer answer) {
  Shell().pickerAnswers.push_back(std::move(answer));
}

void QueueWhileMessageOpen(std::function<void()> whileOpen) {
  Shell().messageActions.push_back(std::move(whileOpen));
}

void QueueShellResult(std::intptr_t code) {
  Shell().shellResults.push_back(code);
}

const std::vector<ShownPicker>& ShownPickers() {
  return Shell().pickers;
}
const std::vector<ShownMessage>& ShownMessages() {
  return Shell().messages;
}
const std::vector<ShellRequest>& ShellRequests() {
  return Shell().requests;
}
int OpenDialogs() {
  return Shell().open;
}

void ResetShell() {
  Shell() = headless::ShellState();
}

}  // namespace platform
