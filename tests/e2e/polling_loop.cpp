// The program with the message loop it is compared against when its idle
// cost is measured: look for a message, and when there is none sleep 1 ms
// and look again. Only for that measurement; never shipped.
#include <windows.h>

#include "app/main_window.h"
#include "app/start_folder.h"

int main() {
  app::MainWindowState state;
  app::StartUp(state, app::StartFolder);
  HWND dialog = reinterpret_cast<HWND>(state.MainWindow);
  while (IsWindow(dialog)) {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    } else {
      Sleep(1);
    }
  }
  return 0;
}
