// QUILLMER.EXE as users get it, except that its output pane is always
// emptied by deleting its text, the way taken on Windows and on Wine
// releases the tests have not verified: the end-to-end test drives that way
// under any Wine. Only for that test; never shipped.
#include "app/main_window.h"
#include "platform/window.h"

int main() {
  platform::RefillPaneInSlicesOnly();
  return app::Run();
}
