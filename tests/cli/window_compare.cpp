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
#include <string>
#include <vector>

#include "tests/support/remote_window.h"
#include "tests/support/temp_folder.h"
#include "tests/support/visible_bytes.h"
#include "tools/address_book_writer.h"

namespace {

int failures = 0;

// Wine takes a Unix path as one on drive Z:.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

using testsupport::ChildProcess;
using testsupport::ReadFileBytes;
using testsupport::RemoteProgram;
using testsupport::WriteFileBytes;

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
    ChildProcess process;
    if (process.Start(cli, commandLine, folder, output)) code = process.Wait(60000).value_or(999);
  }
  CloseHandle(output);
  if (code != 0) return "<exit status " + std::to_string(code) + ">" + ReadFileBytes(outputPath);
  return ReadFileBytes(outputPath);
}

bool MakeMailFolder(const std::string& folder, const std::string& exe) {
  CreateDirectoryA(folder.c_str(), nullptr);
  bool ok = WriteFileBytes(
      folder + "CLUB.PMR",
      tools::AddressBookBytes("Club", {{"Jo Smith", "jo@example.org", "", "", ""},
                                       {"Ann Lee", "\"Ann\" <ann@lee.example>", "", "", ""},
                                       {"Sales Team", "Sales <sales@work.example>", "", "", ""},
                                       {"Caf\xE9 Crew", "cafe@example.fr", "", "", ""},
                                       {"No Address", "", "", "", ""}}));
  ok &= WriteFileBytes(
      folder + "MORE.PMR",
      tools::AddressBookBytes("More", {{"jo smith", "second@example.org", "", "", ""},
                                       {"Bob", "bob@example.net", "", "", ""}}));
  ok &= WriteFileBytes(folder + "FRIENDS.PML",
                       "\\TITLE Friends\r\n\\NOTE control line\r\njo SMITH\r\nann lee\r\n\r\n"
                       "plain@example.org\r\nNobody Known\r\nSALES TEAM\r\ncaf\xE9 crew\r\n"
                       "No Address\r\n bob\r\nBob \r\n\tTabbed\r\n\"Quoted\" <q@example.org>\r\n"
                       "ends with quote\"\r\n<<bare@example.org>>\r\nBOB\r\n[x]\r\n_under\r\n");
  ok &= WriteFileBytes(folder + "CRONLY.PML",
                       "\\TITLE CR only\rBob\rann lee\rz@example.org\r\x1Alost\r\n");
  ok &= WriteFileBytes(folder + "NOTITLE.PML", "\\SHORT\r\nzed@example.org\r\nJo Smith\r\n");
  ok &= WriteFileBytes(folder + "LONELF.PML", "\\TITLE Lone LF\r\nbob\nann lee\r\nJo Smith\r\n");
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

  RemoteProgram window;
  if (!window.Start(folder + "QUILLMER.EXE", work)) {
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
        window.Press(o == "--strip" ? app::kStripNamesButtonId : app::kSortListButtonId);
        what += " " + o;
      }
      const std::string pane = window.PaneText();
      const std::string printed = CliExpansion(cli, folder, work + "out.txt", options, title);
      const bool same = pane == printed;
      std::printf("%s %s\n", same ? "ok  " : "FAIL", what.c_str());
      if (!same) {
        std::printf("     window: %s\n     cli:    %s\n", testsupport::Visible(pane).c_str(),
                    testsupport::Visible(printed).c_str());
        ++failures;
      }
    }
  }
  if (window.Close() != 0) {
    std::printf("FAIL the program did not close with exit code 0\n");
    ++failures;
  }
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
