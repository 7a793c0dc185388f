#include <cstdint>
#include <fstream>

#include "tests/support/remote_window.h"

namespace testsupport {

ChildProcess::~ChildProcess() {
  if (info_.hProcess == nullptr) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ChildProcess::Start(const std::string& exe, std::string commandLine,
                         const std::string& currentFolder, HANDLE output) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (output != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, output != nullptr, 0,
                        nullptr, currentFolder.c_str(), &startup, &info_) != 0;
}

std::optional<DWORD> ChildProcess::Wait(DWORD milliseconds) const {
  if (info_.hProcess == nullptr ||
      WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool RemoteWindow::Find(DWORD processId, DWORD milliseconds, DWORD pollMilliseconds) {
  const ULONGLONG until = GetTickCount64() + milliseconds;
  for (;;) {
    HWND found = FindWindowA(nullptr, "List Mailing Addresses");
    DWORD owner = 0;
    if (found != nullptr) GetWindowThreadProcessId(found, &owner);
    if (owner == processId && IsWindowVisible(found)) {
      window_ = found;
      bool all = true;
      for (std::size_t i = 0; i < std::size(kIds); ++i) {
        controls_[i] = GetDlgItem(window_, kIds[i]);
        all &= controls_[i] != nullptr;
      }
      pane_ = Control(app::kOutputPaneId);
      return all;
    }
    if (GetTickCount64() >= until) return false;
    Sleep(pollMilliseconds);
  }
}

HWND RemoteWindow::Control(int id) const {
  for (std::size_t i = 0; i < std::size(kIds); ++i) {
    if (kIds[i] == id) return controls_[i];
  }
  return nullptr;
}

// List box rows and window texts are read with the wide messages: the
// system carries those across processes as they are, while an ANSI
// LB_GETTEXT from another process comes back as UTF-16 under Wine.
std::vector<std::string> RemoteWindow::Rows() const {
  std::vector<std::string> rows;
  HWND list = Control(app::kListBoxId);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT r = 0; r < count; ++r) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(r), 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(r),
                                     reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    rows.push_back(Narrow(wide));
  }
  return rows;
}

void RemoteWindow::DoubleClick(std::size_t row) const {
  HWND list = Control(app::kListBoxId);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(app::kListBoxId, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
}

bool RemoteWindow::DoubleClick(std::string_view title) const {
  const std::vector<std::string> rows = Rows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r] == title) {
      DoubleClick(r);
      return true;
    }
  }
  return false;
}

void RemoteWindow::Press(int id) const {
  SendMessageW(Control(id), BM_CLICK, 0, 0);
}

void RemoteWindow::PostPress(int id) const {
  PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void RemoteWindow::Type(std::string_view keys) const {
  const std::size_t before = PaneText().size();
  for (const char c : keys) {
    if (c == '\r') {
      PostMessageW(pane_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
      PostMessageW(pane_, WM_KEYUP, VK_RETURN,
                   static_cast<LPARAM>(static_cast<std::int32_t>(0xC01C0001u)));
    } else {
      PostMessageA(pane_, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
  }
  // Posted messages come after sent ones: wait until the text has grown and
  // then stays as it is for a few looks.
  std::string last;
  int same = 0;
  for (int i = 0; i < 500 && same < 5; ++i) {
    Sleep(10);
    const std::string now = PaneText();
    same = now.size() >= before + keys.size() && now == last ? same + 1 : 0;
    last = now;
  }
}

namespace {

std::string WindowText(HWND control) {
  const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendMessageW(control, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return Narrow(wide);
}

}  // namespace

std::string RemoteWindow::PaneText() const {
  return WindowText(pane_);
}

std::string RemoteWindow::Text(int id) const {
  return WindowText(Control(id));
}

bool RemoteWindow::Responsive() const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

void RemoteWindow::PostClose() const {
  PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool RemoteProgram::Start(const std::string& exe, const std::string& currentFolder) {
  return process_.Start(exe, "\"" + exe + "\"", currentFolder) && Find(process_.id());
}

long RemoteProgram::Close() {
  PostClose();
  const std::optional<DWORD> code = process_.Wait(30000);
  return code ? static_cast<long>(*code) : -1;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
  return text;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace testsupport
