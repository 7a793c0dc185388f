// What a user does to the system's dialogs: find the folder pickers and
// message boxes of a process, read them, choose a folder, press OK or
// Cancel. The dialogs are this process's own by default (worked from a
// second thread while the first one runs the dialog's modal loop), or those
// of another program, such as QUILLMER.EXE driven from outside.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace dialogtest {

// Visible dialog boxes (#32770) of process `process`, in no particular
// order.
std::vector<HWND> OpenDialogs(DWORD process = GetCurrentProcessId());
bool IsFolderPicker(HWND dialog);

// The first dialog of `process` for which `accept` holds, once one is
// there; null after `timeoutMs`.
HWND WaitForDialog(const std::function<bool(HWND)>& accept, int timeoutMs = 15000,
                   DWORD process = GetCurrentProcessId());
HWND WaitForPicker(int timeoutMs = 15000, DWORD process = GetCurrentProcessId());
HWND WaitForMessageBox(int timeoutMs = 15000);
// Waits until fewer than `count` dialogs are open; false on timeout.
bool WaitForFewerDialogsThan(std::size_t count, int timeoutMs = 15000);

// A picker's texts: the title above its tree, and its window caption.
std::string PickerTitle(HWND picker);
// Whether the picker's tree has a selected item (it is done opening).
bool WaitForTreeSelection(HWND picker, int timeoutMs = 15000);
// Lists every folder from the drive root down to `path` once, as the
// folders a user picks have been listed long before. Wine's picker
// compares a folder's access time too, and on Linux the first listing after
// a change moves it: a folder first listed while a picker is open (by the
// picker itself, looking for subfolders) can no longer be selected in that
// picker. False if a folder on the way cannot be listed.
bool ListFoldersDownTo(const std::string& path);
// The display name of the folder selected in the picker's tree; empty when
// nothing is selected or it cannot be read.
std::string SelectedName(HWND picker);
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

// Presses Cancel on every dialog of `process` still open (after a failed
// check), so that no modal loop is left waiting.
void CloseEveryDialog(DWORD process = GetCurrentProcessId());

}  // namespace dialogtest
