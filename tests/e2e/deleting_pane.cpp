// QUILLMER.EXE as users get it, except that its output pane is always
// emptied by deleting its text, the way taken on Windows and on Wine
// releases the tests have not verified: the end-to-end test drives that way
// under any Wine. Only for that test; never shipped. The difference is
// no_fresh_editor_win32.cpp, linked in ahead of the window layer.
#include "app/main_window.h"

int main() {
  return app::Run();
}
