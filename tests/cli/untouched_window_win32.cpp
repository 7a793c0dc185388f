#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "tests/cli/untouched.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/remote_window.h"

namespace untouched {

namespace {

bool Step(bool ok, const std::string& what) {
  std::printf("%s window: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  return ok;
}

}  // namespace

bool PressEveryButton(const std::string& exe, const std::string& folder) {
  using testsupport::RemoteProgram;
  RemoteProgram program;
  if (!Step(program.Start(exe, folder), "started in the mail folder")) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(program.window(), &pid);
  bool ok = true;
  const auto rows = program.Rows();
  ok &= Step(!rows.empty(), std::to_string(rows.size()) + " lists shown");
  for (std::size_t row = 0; row < rows.size(); ++row) {
    program.DoubleClick(row);
    program.Press(app::kStripNamesButtonId);
    program.Press(app::kSortListButtonId);
    ok &=
        Step(program.Responsive(), "double-click, Strip Names, Sort List on \"" + rows[row] + "\"");
  }
  const auto other = [&](HWND d) {
    return d != program.window() && !dialogtest::IsFolderPicker(d);
  };
  program.PostPress(app::kHelpButtonId);
  const HWND help = dialogtest::WaitForDialog(other, 15000, pid);
  ok &= Step(help != nullptr, "Help/About shows its box");
  if (help != nullptr) dialogtest::PressOk(help);
  program.PostPress(app::kBrowseButtonId);
  const HWND picker = dialogtest::WaitForPicker(15000, pid);
  ok &= Step(picker != nullptr, "Browse shows its picker");
  if (picker != nullptr) dialogtest::PressCancel(picker);
  ok &= Step(program.Responsive(), "the boxes are closed and the window answers");
  dialogtest::CloseEveryDialog(pid);
  ok &= Step(program.Close() == 0, "closed, exit code 0");
  return ok;
}

}  // namespace untouched
