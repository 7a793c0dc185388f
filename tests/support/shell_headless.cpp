// The shell layer without a window system: pickers, message boxes and the
// shell answer from queues that the tests fill (tests/support/shell_fake.h),
// and everything asked of them is recorded. Length-prefixed strings are laid
// out as the system lays them out (32-bit length, bytes, NUL), so code that
// reads the prefix reads the same thing here.
#include "tests/support/shell_headless.h"

#include <cstdlib>
#include <cstring>

#include "platform/shell.h"

namespace platform {

namespace headless {

ShellState& Shell() {
  static ShellState state;
  return state;
}

}  // namespace headless

namespace {

using headless::Shell;

// What a NUL-terminated buffer holds up to its first NUL.
std::string UpToNul(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

// Keeps OpenDialogs() right while a dialog's "modal loop" runs.
class OpenDialog {
 public:
  OpenDialog() { ++Shell().open; }
  OpenDialog(const OpenDialog&) = delete;
  OpenDialog& operator=(const OpenDialog&) = delete;
  ~OpenDialog() { --Shell().open; }
};

}  // namespace

StringHandle NewStringHandle(std::string_view bytes) {
  const auto length = static_cast<std::uint32_t>(bytes.size());
  auto* block = static_cast<char*>(std::malloc(sizeof length + bytes.size() + 1));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &length, sizeof length);
  if (!bytes.empty()) std::memcpy(block + sizeof length, bytes.data(), bytes.size());
  block[sizeof length + bytes.size()] = '\0';
  return block + sizeof length;
}

void FreeStringHandle(StringHandle handle) {
  if (handle != nullptr) std::free(handle - sizeof(std::uint32_t));
}

std::string_view StringHandleBytes(StringHandle handle) {
  if (handle == nullptr) return {};
  std::uint32_t length = 0;
  std::memcpy(&length, handle - sizeof length, sizeof length);
  return {handle, length};
}

std::string PickFolder(std::uint32_t owner, std::string_view title, std::string_view startFolder) {
  auto& state = Shell();
  // The picker sees NUL-terminated texts, the start folder cut to its buffer.
  state.pickers.push_back(
      {owner, UpToNul(title), UpToNul(startFolder.substr(0, kPickerPathLimit))});
  PickerAnswer answer;
  if (!state.pickerAnswers.empty()) {
    answer = std::move(state.pickerAnswers.front());
    state.pickerAnswers.pop_front();
  }
  OpenDialog open;
  if (answer.whileOpen) answer.whileOpen();
  return answer.choice;
}

void ShowMessage(std::string text, std::optional<std::string> caption, unsigned style) {
  auto& state = Shell();
  state.messages.push_back(
      {UpToNul(text), caption ? std::optional(UpToNul(*caption)) : caption, style});
  std::function<void()> whileOpen;
  if (!state.messageActions.empty()) {
    whileOpen = std::move(state.messageActions.front());
    state.messageActions.pop_front();
  }
  OpenDialog open;
  if (whileOpen) whileOpen();
}

std::intptr_t OpenWithShell(const std::string& verb, const std::string& file,
                            const std::string& directory, int show) {
  auto& state = Shell();
  state.requests.push_back({verb, UpToNul(file), directory, show});
  if (state.shellResults.empty()) return 42;
  const auto code = state.shellResults.front();
  state.shellResults.pop_front();
  return code;
}

}  // namespace platform
