// quillmer-cli against the window: for every list of one mail folder and
// every sequence of "Strip Names" / "Sort List" presses, the bytes that
// `quillmer-cli expand` writes must be the bytes the real QUILLMER.EXE shows
// in its output pane. Runs under Wine with a display.
//
//   quillmer_cli_window_compare QUILLMER.EXE QUILLMER-CLI.EXE
//
// Exit status 0 when all agree, 1 on a difference, 77 without a display.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/address_book_writer.h"

namespace {

int failures = 0;

std::string Visible(const std::string& bytes) {
  std::string shown;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32 || b > 126) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", b);
      shown += hex;
    } else {
      shown += c;
    }
  }
  return shown;
}

// Wine takes a Unix path as one on drive Z:.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  return bytes;
}

class Process {
 public:
  Process() = default;
  ~Process() {
    if (info_.hProcess != nullptr) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 99);
      CloseHandle(info_.hThread);
      CloseHandle(info_.hProcess);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::string& exe, std::string commandLine, const std::string& folder,
             HANDLE output) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output != nullptr) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdOutput = output;
      startup.hStdError = output;
      startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, output != nullptr, 0,
                          nullptr, folder.c_str(), &startup, &info_) != 0;
  }
  DWORD Wait(DWORD milliseconds) {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return 999;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }
  DWORD id() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
};

// What `quillmer-cli expand OPTIONS . TITLE` writes, run in the mail folder.
std::string CliExpansion(const std::string& cli, const std::string& folder,
                         const std::string& outputPath, const std::vector<std::string>& options,
                         const std::string& title) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) return "<cannot make the output file>";
  std::string commandLine = "\"" + cli + "\" expand";
  for (const std::string& o : options) commandLine += " " + o;
  commandLine += " . \"" + title + "\"";
  DWORD code = 999;
  {
    Process process;
    if (process.Start(cli, commandLine, folder, output)) code = process.Wait(60000);
  }
  CloseHandle(output);
  if (code != 0) return "<exit status " + std::to_string(code) + ">" + ReadFile(outputPath);
  return ReadFile(outputPath);
}

class Window {
 public:
  bool Find(DWORD processId) {
    for (int i = 0; i < 600 && window_ == nullptr; ++i) {
      HWND found = FindWindowA(nullptr, "List Mailing Addresses");
      DWORD owner = 0;
      if (found != nullptr) GetWindowThreadProcessId(found, &owner);
      if (owner == processId && IsWindowVisible(found)) window_ = found;
      if (window_ == nullptr) Sleep(50);
    }
    return window_ != nullptr;
  }
  bool DoubleClick(const std::string& title) const {
    HWND list = GetDlgItem(window_, 1);
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT r = 0; r < count; ++r) {
      const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(r), 0);
      std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(wide.data()));
      std::string row;
      for (LRESULT i = 0; i < length; ++i)
        row += static_cast<char>(wide[static_cast<std::size_t>(i)]);
      if (row == title) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(r), 0);
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(1, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(list));
        return true;
      }
    }
    return false;
  }
  void Press(int id) const { SendMessageA(GetDlgItem(window_, id), BM_CLICK, 0, 0); }
  std::string Pane() const {
    HWND pane = GetDlgItem(window_, 27);
    const auto length = SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto got =
        SendMessageA(pane, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
  }
  void Close() const { PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0); }

 private:
  HWND window_ = nullptr;
};

bool MakeMailFolder(const std::string& folder, const std::string& exe) {
  CreateDirectoryA(folder.c_str(), nullptr);
  bool ok = WriteFile(
      folder + "CLUB.PMR",
      tools::AddressBookBytes("Club", {{"Jo Smith", "jo@example.org", "", "", ""},
                                       {"Ann Lee", "\"Ann\" <ann@lee.example>", "", "", ""},
                                       {"Sales Team", "Sales <sales@work.example>", "", "", ""},
                                       {"Caf\xE9 Crew", "cafe@example.fr", "", "", ""},
                                       {"No Address", "", "", "", ""}}));
  ok &= WriteFile(folder + "MORE.PMR",
                  tools::AddressBookBytes("More", {{"jo smith", "second@example.org", "", "", ""},
                                                   {"Bob", "bob@example.net", "", "", ""}}));
  ok &= WriteFile(folder + "FRIENDS.PML",
                  "\\TITLE Friends\r\n\\NOTE control line\r\njo SMITH\r\nann lee\r\n\r\n"
                  "plain@example.org\r\nNobody Known\r\nSALES TEAM\r\ncaf\xE9 crew\r\n"
                  "No Address\r\n bob\r\nBob \r\n\tTabbed\r\n\"Quoted\" <q@example.org>\r\n"
                  "ends with quote\"\r\n<<bare@example.org>>\r\nBOB\r\n[x]\r\n_under\r\n");
  ok &= WriteFile(folder + "CRONLY.PML",
                  "\\TITLE CR only\rBob\rann lee\rz@example.org\r\x1Alost\r\n");
  ok &= WriteFile(folder + "NOTITLE.PML", "\\SHORT\r\nzed@example.org\r\nJo Smith\r\n");
  ok &= WriteFile(folder + "LONELF.PML", "\\TITLE Lone LF\r\nbob\nann lee\r\nJo Smith\r\n");
  ok &= CopyFileA(exe.c_str(), (folder + "QUILLMER.EXE").c_str(), FALSE) != 0;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: quillmer_cli_window_compare QUILLMER.EXE QUILLMER-CLI.EXE\n");
    return 2;
  }
  char display[256];
  if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0) {
    std::printf("no display: skipped\n");
    return 77;
  }
  const std::string exe = WindowsPath(argv[1]);
  const std::string cli = WindowsPath(argv[2]);
  const testsupport::TempFolder temp("quillmer-compare");
  const std::string work = temp.path().string() + "\\";
  const std::string folder = work + "Mail\\";
  if (!MakeMailFolder(folder, exe)) {
    std::printf("FAIL cannot make the mail folder %s\n", folder.c_str());
    return 1;
  }

  Process program;
  Window window;
  if (!program.Start(folder + "QUILLMER.EXE", "\"" + folder + "QUILLMER.EXE\"", work, nullptr) ||
      !window.Find(program.id())) {
    std::printf("FAIL the window did not appear\n");
    return 1;
  }
  const std::vector<std::string> titles = {"Friends", "CR only", "", "Lone LF"};
  const std::vector<std::vector<std::string>> sequences = {{},
                                                           {"--strip"},
                                                           {"--sort"},
                                                           {"--strip", "--sort"},
                                                           {"--sort", "--strip"},
                                                           {"--strip", "--strip"},
                                                           {"--sort", "--sort"}};
  for (const std::string& title : titles) {
    for (const std::vector<std::string>& options : sequences) {
      std::string what = "[" + title + "]";
      if (!window.DoubleClick(title)) {
        std::printf("FAIL no row %s\n", what.c_str());
        ++failures;
        continue;
      }
      for (const std::string& o : options) {
        window.Press(o == "--strip" ? 28 : 29);
        what += " " + o;
      }
      const std::string pane = window.Pane();
      const std::string printed = CliExpansion(cli, folder, work + "out.txt", options, title);
      const bool same = pane == printed;
      std::printf("%s %s\n", same ? "ok  " : "FAIL", what.c_str());
      if (!same) {
        std::printf("     window: %s\n     cli:    %s\n", Visible(pane).c_str(),
                    Visible(printed).c_str());
        ++failures;
      }
    }
  }
  window.Close();
  program.Wait(30000);
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
