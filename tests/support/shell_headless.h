// Inside the headless shell layer: the answers queued for its dialogs and the
// record of what the program asked of them, shared by shell_headless.cpp and
// the tests' fake (tests/support/shell_fake.h). Nothing else includes it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What the program asked of the picker, a message box or the shell.
struct ShownPicker {
  std::uint32_t owner;
  std::string title;
  std::string startFolder;  // as the picker received it, after the cut
};
struct ShownMessage {
  std::string text;
  std::optional<std::string> caption;
  unsigned style;
};
struct ShellRequest {
  std::string verb;
  std::string file;
  std::string directory;
  int show;
};

// How the next picker is answered: `choice` is what it returns (empty for
// Cancel); `whileOpen` runs first, as if the user acted on the main window
// while the picker was open. A picker with no answer queued is cancelled.
struct PickerAnswer {
  std::string choice;
  std::function<void()> whileOpen;
};

namespace headless {

struct ShellState {
  std::deque<PickerAnswer> pickerAnswers;
  std::deque<std::function<void()>> messageActions;
  std::deque<std::intptr_t> shellResults;
  std::vector<ShownPicker> pickers;
  std::vector<ShownMessage> messages;
  std::vector<ShellRequest> requests;
  int open = 0;  // pickers and message boxes open right now
};

ShellState& Shell();

}  // namespace headless

}  // namespace platform
