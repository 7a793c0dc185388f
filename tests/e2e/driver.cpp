// Drives the real QUILLMER.EXE from outside, as a user would: makes a mail
// folder, puts the program into it, starts it, double-clicks lists, presses
// "Strip Names" and "Sort List", reads what the window shows and closes it.
//
//   quillmer_e2e_driver QUILLMER.EXE WORK-FOLDER [SIGNAL-FOLDER]
//   quillmer_e2e_driver --bench QUILLMER.EXE WORK-FOLDER
//   quillmer_e2e_driver --show QUILLMER.EXE SIGNAL-FOLDER
//
// With a signal folder it writes "ready" there once the window shows an
// expansion and waits (20 s at most) for "shot-done", so that a screenshot
// can be taken. --bench times a 100,000-line list and a 50 MB list instead.
// --show starts the program where it lies, double-clicks the first list,
// waits for the screenshot and closes the program.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/address_book_writer.h"

namespace {

int failures = 0;

std::string Visible(const std::string& bytes) {
  std::string shown;
  for (char c : bytes) {
    if (c == '\r') {
      shown += "<CR>";
    } else if (c == '\n') {
      shown += "<LF>";
    } else if (c == '\t') {
      shown += "<TAB>";
    } else {
      shown += c;
    }
  }
  return shown;
}

void Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

void CheckBytes(const std::string& expected, const std::string& actual, const std::string& what) {
  Check(expected == actual, what);
  if (expected != actual) {
    std::printf("     expected: %s\n     actual:   %s\n", Visible(expected).c_str(),
                Visible(actual).c_str());
  }
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

struct Handle {
  HANDLE value = nullptr;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() {
    if (value != nullptr && value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

// The running program's main window and the messages a user's actions send.
class Program {
 public:
  bool Start(const std::string& exe, const std::string& otherFolder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    // Started from another folder: the program must find its own.
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        otherFolder.c_str(), &startup, &process_)) {
      return false;
    }
    for (int i = 0; i < 600 && window_ == nullptr; ++i) {
      HWND found = FindWindowA(nullptr, "List Mailing Addresses");
      DWORD owner = 0;
      if (found != nullptr) GetWindowThreadProcessId(found, &owner);
      if (owner == process_.dwProcessId && IsWindowVisible(found)) window_ = found;
      if (window_ == nullptr) Sleep(50);
    }
    return window_ != nullptr;
  }

  ~Program() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }

  HWND Control(int id) const { return GetDlgItem(window_, id); }

  std::string Text(int id) const {
    HWND control = Control(id);
    const auto length = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto got =
        SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
  }

  // List box rows; the wide call, which the system carries across processes.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    HWND list = Control(1);
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT r = 0; r < count; ++r) {
      const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(r), 0);
      std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(wide.data()));
      std::string row;
      for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i) {
        row += static_cast<char>(wide[i]);  // the test titles are ASCII
      }
      rows.push_back(row);
    }
    return rows;
  }

  void DoubleClick(std::size_t row) const {
    HWND list = Control(1);
    SendMessageA(list, LB_SETCURSEL, row, 0);
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  }

  bool DoubleClick(const std::string& title) const {
    const auto rows = Rows();
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (rows[r] == title) {
        DoubleClick(r);
        return true;
      }
    }
    return false;
  }

  void Press(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }

  bool Responsive() const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
  }

  // Closes with the system Close command; the exit code, or -1.
  long Close() {
    PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

  bool WindowGone() const { return !IsWindow(window_); }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

std::string LongPath(const std::string& path) {
  std::string full(MAX_PATH * 4, '\0');
  const DWORD length = GetLongPathNameA(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
  full.resize(length);
  return full;
}

bool MakeMailFolder(const std::string& folder, const std::string& exe) {
  CreateDirectoryA(folder.c_str(), nullptr);
  using tools::BookEntry;
  bool ok = WriteFile(
      folder + "FAMILY.PMR",
      tools::AddressBookBytes(
          "Family", {{"Jo Smith", "jo.smith@family.example", "", "01234 5678", "cousin"},
                     {"Ann Lee", "ann@lee.example", "", "", ""},
                     {"jo smith", "second@family.example", "", "", "never used: Jo Smith wins"}}));
  ok &= WriteFile(
      folder + "WORK.PMR",
      tools::AddressBookBytes("Work", {{"Sales Team", "sales@work.example", "Work Ltd", "", ""}}));
  ok &= WriteFile(folder + "EMPTY.PMR", "");
  ok &= WriteFile(folder + "FRIENDS.PML",
                  "\\TITLE Friends\r\n\\NOTE a control line\r\nJo Smith\r\nann lee\r\n"
                  "plain@example.org\r\n\r\nNobody Known\r\n");
  ok &= WriteFile(
      folder + "TEAM.PML",
      "\\TITLE Team\r\nSales Team\r\n\"Boss\" <boss@work.example>\r\nzed@work.example\r\n");
  ok &= WriteFile(folder + "LOCKED.PML", "\\TITLE Locked\r\nplain@example.org\r\n");
  ok &= WriteFile(folder + "EMPTY.PML", "");
  ok &= CopyFileA(exe.c_str(), (folder + "QUILLMER.EXE").c_str(), FALSE) != 0;
  return ok;
}

void WaitForScreenshot(const std::string& signals) {
  WriteFile(signals + "\\ready", "ready\n");
  for (int i = 0; i < 200; ++i) {
    if (GetFileAttributesA((signals + "\\shot-done").c_str()) != INVALID_FILE_ATTRIBUTES) return;
    Sleep(100);
  }
  std::printf("note: no screenshot was taken\n");
}

int EndToEnd(const std::string& exe, const std::string& work, const std::string& signals) {
  const std::string folder = LongPath(work) + "\\Mail Folder\\";
  if (!MakeMailFolder(folder, exe)) {
    std::printf("FAIL cannot make the mail folder %s\n", folder.c_str());
    return 1;
  }
  Program program;
  if (!program.Start(folder + "QUILLMER.EXE", work)) {
    std::printf("FAIL the window \"List Mailing Addresses\" did not appear\n");
    return 1;
  }
  CheckBytes(LongPath(folder), program.Text(4), "text box 4 shows the program's folder");
  const auto rows = program.Rows();
  Check(rows == std::vector<std::string>({"", "Friends", "Locked", "Team"}),
        "the list box shows the titles, sorted");

  Check(program.DoubleClick("Friends"), "double-click Friends");
  const std::string friends =
      "Jo Smith\tjo.smith@family.example\r\nann lee\tann@lee.example\r\nplain@example.org\r\n"
      "Nobody Known\r\n";
  CheckBytes(friends, program.Text(27), "Friends expanded");
  if (!signals.empty()) WaitForScreenshot(signals);

  program.Press(28);
  CheckBytes(
      "jo.smith@family.example\r\nann@lee.example\r\nplain@example.org\r\nNobody Known\r\n\r\n",
      program.Text(27), "Strip Names");
  program.Press(29);
  CheckBytes("ann@lee.example\r\njo.smith@family.example\r\nNobody Known\r\nplain@example.org\r\n",
             program.Text(27), "then Sort List");

  Check(program.DoubleClick("Team"), "double-click Team");
  program.Press(29);
  CheckBytes(
      "\"Boss\" <boss@work.example>\r\nSales Team\tsales@work.example\r\nzed@work.example\r\n",
      program.Text(27), "Team expanded, then Sort List");

  {
    Handle hold(CreateFileA((folder + "LOCKED.PML").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(hold.value != INVALID_HANDLE_VALUE, "LOCKED.PML held with share mode 0");
    Check(program.DoubleClick("Locked"), "double-click Locked while it is held");
    CheckBytes("", program.Text(27), "a held list gives an empty pane");
    Check(program.Responsive(), "the window still answers");
  }
  program.DoubleClick(0);
  CheckBytes("", program.Text(27), "an empty list file gives an empty pane");
  Check(program.Responsive(), "the window still answers");

  const long code = program.Close();
  Check(code == 0, "closed with SC_CLOSE, exit code " + std::to_string(code));
  Check(program.WindowGone(), "the window is gone");
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Times one list: double-click to filled pane, then each output option.
void BenchList(const std::string& exe, const std::string& work, const std::string& name,
               const std::string& list) {
  const std::string folder = LongPath(work) + "\\" + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteFile(folder + "BIG.PML", list);
  WriteFile(folder + "PEOPLE.PMR",
            tools::AddressBookBytes("People", {{"Member 100007", "m7@example.org", "", "", ""}}));
  CopyFileA(exe.c_str(), (folder + "QUILLMER.EXE").c_str(), FALSE);
  Program program;
  if (!program.Start(folder + "QUILLMER.EXE", work)) {
    std::printf("FAIL %s: no window\n", name.c_str());
    ++failures;
    return;
  }
  auto start = std::chrono::steady_clock::now();
  program.DoubleClick(0);
  const double expand = Seconds(start);
  const std::size_t shown = program.Text(27).size();
  start = std::chrono::steady_clock::now();
  program.Press(28);
  const double strip = Seconds(start);
  start = std::chrono::steady_clock::now();
  program.Press(29);
  const double sort = Seconds(start);
  const std::size_t sorted = program.Text(27).size();
  std::printf(
      "%s: list %zu bytes; expand %.2f s (pane %zu bytes); Strip Names %.2f s; "
      "Sort List %.2f s (pane %zu bytes); responsive %s\n",
      name.c_str(), list.size(), expand, shown, strip, sort, sorted,
      program.Responsive() ? "yes" : "no");
  std::fflush(stdout);
  program.Close();
}

int Bench(const std::string& exe, const std::string& work) {
  std::string list = "\\TITLE Hundred thousand\r\n";
  for (int i = 99999; i >= 0; --i) list += "Member " + std::to_string(100000 + i) + "\r\n";
  BenchList(exe, work, "100000 lines", list);
  std::string big = "\\TITLE Fifty megabytes\r\n";
  while (big.size() < 50u * 1024 * 1024) {
    big += "someone." + std::to_string(big.size()) + "@a-rather-long-domain.example.org\r\n";
  }
  BenchList(exe, work, "50 MB", big);
  return failures == 0 ? 0 : 1;
}

int Show(const std::string& exe, const std::string& signals) {
  Program program;
  const std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
  if (!program.Start(exe, folder)) {
    std::printf("the window \"List Mailing Addresses\" did not appear\n");
    return 1;
  }
  if (!program.Rows().empty()) program.DoubleClick(0);
  WaitForScreenshot(signals);
  const long code = program.Close();
  std::printf("closed, exit code %ld\n", code);
  return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--bench") return Bench(argv[2], argv[3]);
  if (argc >= 4 && std::string(argv[1]) == "--show") return Show(argv[2], argv[3]);
  if (argc < 3) {
    std::printf("usage: quillmer_e2e_driver QUILLMER.EXE WORK-FOLDER [SIGNAL-FOLDER]\n");
    return 2;
  }
  return EndToEnd(argv[1], argv[2], argc >= 4 ? argv[3] : "");
}
