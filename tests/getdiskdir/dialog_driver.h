// What a user does to the system's dialogs, done from a second thread of
// the test program while the first one runs the dialog's modal loop: find
// this process's folder pickers and message boxes, read them, choose a
// folder, press OK or Cancel.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace dialogtest {

// Visible dialog boxes (#32770) of this process, in no particular order.
std::vector<HWND> OpenDialogs();
bool IsFolderPicker(HWND dialog);

// The first dialog for which `accept` holds, once one is there; null after
// `timeoutMs`.
HWND WaitForDialog(const std::function<bool(HWND)>& accept, int timeoutMs = 15000);
HWND WaitForPicker(int timeoutMs = 15000);
HWND WaitForMessageBox(int timeoutMs = 15000);
// Waits until fewer than `count` dialogs are open; false on timeout.
bool WaitForFewerDialogsThan(std::size_t count, int timeoutMs = 15000);

// A picker's texts: the title above its tree, and its window caption.
std::string PickerTitle(HWND picker);
// Whether the picker's tree has a selected item (it is done opening).
bool WaitForTreeSelection(HWND picker, int timeoutMs = 15000);
// Selects `path` in the picker, as the picker's own BFFM_SETSELECTIONA does,
// and waits until the tree shows it selected; false if it never does.
bool SelectInPicker(HWND picker, const std::string& path);

// A message box's text and caption.
std::string MessageText(HWND box);
std::string Caption(HWND window);

// Presses a dialog's OK or Cancel button.
void PressOk(HWND dialog);
void PressCancel(HWND dialog);

// Runs `work` on a second thread; joined when destroyed.
class Helper {
 public:
  explicit Helper(std::function<void()> work) : thread_(std::move(work)) {}
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  ~Helper() { thread_.join(); }

 private:
  std::thread thread_;
};

// Presses Cancel on every dialog of this process still open (after a
// failed check), so that no modal loop is left waiting.
void CloseEveryDialog();

}  // namespace dialogtest
