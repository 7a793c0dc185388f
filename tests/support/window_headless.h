// Inside the headless window layer: the in-memory main window, shared by
// window_headless.cpp and the test driver that works it
// (tests/support/window_driver_headless.cpp). Nothing else includes it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

struct ListRow {
  std::string text;
  std::uintptr_t data = 0;
};

struct WindowObject {
  bool alive = true;
  std::string caption;
  int width = 0, height = 0;  // dialog units
  CommandRouter router = nullptr;
  WindowContext* context = nullptr;
  struct Control {
    ControlSpec layout;
    std::string windowClass;
    std::string text;
    std::vector<ListRow> rows;
    std::optional<std::size_t> selected;
  };
  std::vector<Control> controls;
  std::optional<int> focused;
  std::deque<int> posted;  // posted system commands, by kind
};

namespace headless {

inline constexpr int kPostedClose = 1;

// Control `id` of a live window, or null.
WindowObject::Control* Find(Window window, int id);
// What the system Close command does: the window is gone.
void Close(Window window);

}  // namespace headless

}  // namespace platform
