// The real program in another process, driven the way a user's actions and
// outside tools (screen readers, automation scripts) drive it: the main
// window is found by its caption, each control is taken by its id and the
// output pane's handle is kept from the moment the window appears. Windows
// only; for the test programs that start QUILLMER.EXE and quillmer-cli.
#pragma once

#include <windows.h>

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/control_ids.h"

namespace testsupport {

// A program this test started. Still running when the holder goes, it is
// ended, so that no test leaves a process behind.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `exe` with `commandLine` in `currentFolder`. With an `output`
  // handle (inheritable), standard output and error go there.
  bool Start(const std::string& exe, std::string commandLine, const std::string& currentFolder,
             HANDLE output = nullptr);
  // The exit code, or nothing if it is still running after `milliseconds`.
  std::optional<DWORD> Wait(DWORD milliseconds) const;
  DWORD id() const { return info_.dwProcessId; }
  // The process's handle (all access), for reading its memory figures.
  HANDLE handle() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
};

// The main window, "List Mailing Addresses", of another process.
class RemoteWindow {
 public:
  // Waits up to `milliseconds` for the visible window of process
  // `processId`, looking every `pollMilliseconds`, and takes each of the
  // controls in kIds by its id, once: false unless all of them are there.
  bool Find(DWORD processId, DWORD milliseconds = 30000, DWORD pollMilliseconds = 50);

  HWND window() const { return window_; }
  // The output pane's handle, as taken when the window was found.
  HWND pane() const { return pane_; }
  // Control `id`'s handle as taken when the window was found; null for an
  // id not in kIds.
  HWND Control(int id) const;

  // The list box's rows.
  std::vector<std::string> Rows() const;
  // Selects a row and sends the list box's double-click notification.
  void DoubleClick(std::size_t row) const;
  // The same for the first row that reads `title`; false if there is none.
  bool DoubleClick(std::string_view title) const;
  // Clicks the button `id` and returns once the click has been handled.
  void Press(int id) const;
  // Posts the click instead and returns at once: for a button whose handler
  // opens a modal dialog.
  void PostPress(int id) const;
  // Types at the pane's caret: characters as WM_CHAR, '\r' as the Enter
  // key, posted as the keyboard delivers them; returns once the text has
  // grown by a character per key and stopped changing.
  void Type(std::string_view keys) const;

  // The pane's whole text, read through the handle kept since it was found.
  std::string PaneText() const;
  // The text of control `id`.
  std::string Text(int id) const;

  // The window answers a message within five seconds.
  bool Responsive() const;
  // Posts the system Close command (the title bar's close button).
  void PostClose() const;
  bool Gone() const { return IsWindow(window_) == FALSE; }

 private:
  // The controls the tests work, by the ids the program gives them.
  static constexpr int kIds[] = {
      app::kListBoxId,    app::kFolderTextId,       app::kBrowseButtonId,  app::kHelpButtonId,
      app::kOutputPaneId, app::kStripNamesButtonId, app::kSortListButtonId};

  HWND window_ = nullptr;
  HWND pane_ = nullptr;
  HWND controls_[std::size(kIds)] = {};
};

// QUILLMER.EXE started and its window found.
class RemoteProgram : public RemoteWindow {
 public:
  // Starts `exe` in `currentFolder` and waits for its window.
  bool Start(const std::string& exe, const std::string& currentFolder);
  // Closes the window with the system Close command and waits for the
  // process: its exit code, or -1 if it did not end within 30 seconds.
  long Close();
  HANDLE process() const { return process_.handle(); }
  DWORD processId() const { return process_.id(); }

 private:
  ChildProcess process_;
};

// Text read from another process arrives as UTF-16: back to the bytes of the
// system code page, the program's own.
std::string Narrow(std::wstring_view wide);

// A file's bytes, written and read exactly.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
std::string ReadFileBytes(const std::string& path);

}  // namespace testsupport
