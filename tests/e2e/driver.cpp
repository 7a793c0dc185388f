// Drives the real QUILLMER.EXE from outside, as a user would: makes a mail
// folder, puts the program into it, starts it, double-clicks lists, presses
// "Strip Names" and "Sort List", reads what the window shows and closes it.
//
//   quillmer_e2e_driver QUILLMER.EXE WORK-FOLDER [SIGNAL-FOLDER]
//   quillmer_e2e_driver --bench QUILLMER.EXE WORK-FOLDER [ENTRIES]
//   quillmer_e2e_driver --show QUILLMER.EXE SIGNAL-FOLDER
//
// With a signal folder it writes "ready" there once the window shows an
// expansion and waits (20 s at most) for "shot-done", so that a screenshot
// can be taken. The output pane's handle is taken once, right after the
// window appears, and only that handle is used for the pane from then on.
// --bench times a list of 100,000 entries (or ENTRIES) against a book of
// 2,000 names: the first double-click, "Strip Names", "Sort List" and a
// second double-click, and compares the whole pane with the expected bytes.
// --show starts the program where it lies, double-clicks the first list,
// waits for the screenshot and closes the program.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/remote_window.h"
#include "tests/support/visible_bytes.h"
#include "tools/address_book_writer.h"

namespace {

using testsupport::RemoteProgram;
using testsupport::Visible;
using testsupport::WriteFileBytes;

int failures = 0;

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

struct Handle {
  HANDLE value = nullptr;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() {
    if (value != nullptr && value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

// What an outside program sees of the pane and may rely on.
struct PaneFacts {
  std::string windowClass;
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
  LRESULT font = 0;
  LRESULT limit = 0;
  int id = 0;
  HWND before = nullptr;
  HWND after = nullptr;

  static PaneFacts Of(HWND pane) {
    PaneFacts facts;
    char name[64] = {};
    GetClassNameA(pane, name, sizeof name);
    facts.windowClass = name;
    // The scroll bar bits come and go with the length of the text.
    facts.style =
        GetWindowLongPtrA(pane, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL);
    facts.exStyle = GetWindowLongPtrA(pane, GWL_EXSTYLE);
    facts.font = SendMessageA(pane, WM_GETFONT, 0, 0);
    facts.limit = SendMessageA(pane, EM_GETLIMITTEXT, 0, 0);
    facts.id = GetDlgCtrlID(pane);
    facts.before = GetWindow(pane, GW_HWNDPREV);
    facts.after = GetWindow(pane, GW_HWNDNEXT);
    return facts;
  }
  bool operator==(const PaneFacts& o) const {
    return windowClass == o.windowClass && style == o.style && exStyle == o.exStyle &&
           font == o.font && limit == o.limit && id == o.id && before == o.before &&
           after == o.after;
  }
};

// The pane is still the window taken at start-up, unchanged.
void CheckSamePane(const RemoteProgram& program, const PaneFacts& atStart,
                   const std::string& after) {
  HWND pane = program.pane();
  Check(IsWindow(pane) != FALSE && GetDlgItem(program.window(), RemoteProgram::kPaneId) == pane,
        "after " + after + ": the pane is the window taken at start-up");
  Check(PaneFacts::Of(pane) == atStart,
        "after " + after +
            ": its class, id, styles, font, text limit and tab position are unchanged");
}

std::string LongPath(const std::string& path) {
  std::string full(MAX_PATH * 4, '\0');
  const DWORD length = GetLongPathNameA(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
  full.resize(length);
  return full;
}

bool MakeMailFolder(const std::string& folder, const std::string& exe) {
  CreateDirectoryA(folder.c_str(), nullptr);
  using tools::BookEntry;
  bool ok = WriteFileBytes(
      folder + "FAMILY.PMR",
      tools::AddressBookBytes(
          "Family", {{"Jo Smith", "jo.smith@family.example", "", "01234 5678", "cousin"},
                     {"Ann Lee", "ann@lee.example", "", "", ""},
                     {"jo smith", "second@family.example", "", "", "never used: Jo Smith wins"}}));
  ok &= WriteFileBytes(
      folder + "WORK.PMR",
      tools::AddressBookBytes("Work", {{"Sales Team", "sales@work.example", "Work Ltd", "", ""}}));
  ok &= WriteFileBytes(folder + "EMPTY.PMR", "");
  ok &= WriteFileBytes(folder + "FRIENDS.PML",
                       "\\TITLE Friends\r\n\\NOTE a control line\r\nJo Smith\r\nann lee\r\n"
                       "plain@example.org\r\n\r\nNobody Known\r\n");
  ok &= WriteFileBytes(
      folder + "TEAM.PML",
      "\\TITLE Team\r\nSales Team\r\n\"Boss\" <boss@work.example>\r\nzed@work.example\r\n");
  ok &= WriteFileBytes(folder + "LOCKED.PML", "\\TITLE Locked\r\nplain@example.org\r\n");
  ok &= WriteFileBytes(folder + "LFONLY.PML",
                       "\\TITLE Lf Only\r\nZed\nJo Smith\n\\not a control line\nann lee\r\n"
                       "ann lee\r\n\nJo Smith\rb@x.example\n\r\n");
  ok &= WriteFileBytes(folder + "EMPTY.PML", "");
  ok &= CopyFileA(exe.c_str(), (folder + "QUILLMER.EXE").c_str(), FALSE) != 0;
  return ok;
}

void WaitForScreenshot(const std::string& signals) {
  WriteFileBytes(signals + "\\ready", "ready\n");
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
  RemoteProgram program;
  if (!program.Start(folder + "QUILLMER.EXE", work)) {
    std::printf("FAIL the window \"List Mailing Addresses\" or its output pane did not appear\n");
    return 1;
  }
  const PaneFacts atStart = PaneFacts::Of(program.pane());
  Check(atStart.windowClass == "RichEdit" || atStart.windowClass == "richedit" ||
            atStart.windowClass == "RICHEDIT",
        "the output pane is a rich edit (" + atStart.windowClass + ")");
  CheckBytes(LongPath(folder), program.Text(RemoteProgram::kFolderId),
             "text box 4 shows the program's folder");
  const auto rows = program.Rows();
  Check(rows == std::vector<std::string>({"", "Friends", "Lf Only", "Locked", "Team"}),
        "the list box shows the titles, sorted");

  Check(program.DoubleClick("Friends"), "double-click Friends");
  const std::string friends =
      "Jo Smith\tjo.smith@family.example\r\nann lee\tann@lee.example\r\nplain@example.org\r\n"
      "Nobody Known\r\n";
  CheckBytes(friends, program.PaneText(), "Friends expanded");
  CheckSamePane(program, atStart, "the first double-click");
  if (!signals.empty()) WaitForScreenshot(signals);

  program.Press(RemoteProgram::kStripId);
  CheckBytes(
      "jo.smith@family.example\r\nann@lee.example\r\nplain@example.org\r\nNobody Known\r\n\r\n",
      program.PaneText(), "Strip Names");
  CheckSamePane(program, atStart, "Strip Names");
  program.Press(RemoteProgram::kSortId);
  CheckBytes("ann@lee.example\r\njo.smith@family.example\r\nNobody Known\r\nplain@example.org\r\n",
             program.PaneText(), "then Sort List");
  CheckSamePane(program, atStart, "Sort List");

  // Typed at the caret, which a refill leaves at the start of the text.
  program.Type("Typed Name <typed@example.org>\r");
  const std::string typed =
      "Typed Name <typed@example.org>\r\nann@lee.example\r\njo.smith@family.example\r\n"
      "Nobody Known\r\nplain@example.org\r\n";
  CheckBytes(typed, program.PaneText(), "a line typed into the pane, Enter as CR LF");
  CheckSamePane(program, atStart, "typing");
  program.Press(RemoteProgram::kSortId);
  CheckBytes(
      "ann@lee.example\r\njo.smith@family.example\r\nNobody Known\r\nplain@example.org\r\n"
      "Typed Name <typed@example.org>\r\n",
      program.PaneText(), "the typed line sorted with the others");
  program.Press(RemoteProgram::kStripId);
  CheckBytes(
      "ann@lee.example\r\njo.smith@family.example\r\nNobody Known\r\nplain@example.org\r\n"
      "typed@example.org\r\n\r\n",
      program.PaneText(), "and stripped");
  CheckSamePane(program, atStart, "both buttons on typed text");

  Check(program.DoubleClick("Team"), "double-click Team");
  CheckSamePane(program, atStart, "a second double-click over a full pane");
  program.Press(RemoteProgram::kSortId);
  CheckBytes(
      "\"Boss\" <boss@work.example>\r\nSales Team\tsales@work.example\r\nzed@work.example\r\n",
      program.PaneText(), "Team expanded, then Sort List");

  // Lines of a list end at CR; a lone LF is an ordinary byte of its entry,
  // and the buttons cut the pane at CR LF only.
  Check(program.DoubleClick("Lf Only"), "double-click Lf Only");
  CheckBytes(
      "Zed\nJo Smith\n\\not a control line\nann lee\r\nann lee\tann@lee.example\r\n"
      "\nJo Smith\r\nb@x.example\n\r\n",
      program.PaneText(), "entries holding LF bytes expanded as they stand");
  program.Press(RemoteProgram::kStripId);
  CheckBytes(
      "Zed\nJo Smith\n\\not a control line\nann lee\r\nann@lee.example\r\n"
      "\nJo Smith\r\nb@x.example\n\r\n\r\n",
      program.PaneText(), "Strip Names keeps every LF inside its line");
  program.Press(RemoteProgram::kSortId);
  CheckBytes("ann@lee.example\r\nb@x.example\n\r\nZed\nJo Smith\n\\not a control line\nann lee\r\n",
             program.PaneText(), "Sort List sorts the lines that hold LF bytes whole");
  CheckSamePane(program, atStart, "the LF-only list");

  {
    Handle hold(CreateFileA((folder + "LOCKED.PML").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(hold.value != INVALID_HANDLE_VALUE, "LOCKED.PML held with share mode 0");
    Check(program.DoubleClick("Locked"), "double-click Locked while it is held");
    CheckBytes("", program.PaneText(), "a held list gives an empty pane");
    Check(program.Responsive(), "the window still answers");
  }
  program.DoubleClick(0);
  CheckBytes("", program.PaneText(), "an empty list file gives an empty pane");
  Check(program.Responsive(), "the window still answers");
  CheckSamePane(program, atStart, "emptying the pane");

  const long code = program.Close();
  Check(code == 0, "closed with SC_CLOSE, exit code " + std::to_string(code));
  Check(program.Gone(), "the window is gone");
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The sort's order: a-z folded to A-Z, every other byte by its value.
bool SortsBefore(const std::string& a, const std::string& b) {
  const auto key = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - 32 : u;
  };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return key(x) < key(y); });
}

// Seconds for one user action, the pane's text read afterwards (outside the
// time) and compared with `expected` whole.
double TimeStep(const RemoteProgram& program, const std::string& what, const std::string& expected,
                void (*act)(const RemoteProgram&)) {
  const auto start = std::chrono::steady_clock::now();
  act(program);
  program.Responsive();
  const double seconds = Seconds(start);
  const std::string shown = program.PaneText();
  Check(shown == expected, what + ": the pane shows the expected " +
                               std::to_string(expected.size()) + " bytes (it shows " +
                               std::to_string(shown.size()) + ")");
  std::printf("     %-20s %8.2f s\n", what.c_str(), seconds);
  std::fflush(stdout);
  return seconds;
}

// One address book of 2,000 names; a list of `entries` entries, every
// other one such a name in lower case, the rest plain addresses.
int Bench(const std::string& exe, const std::string& work, int entries) {
  const std::string folder = LongPath(work) + "\\Bench\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<tools::BookEntry> book;
  std::vector<std::string> names;
  std::vector<std::string> addresses;
  for (int n = 0; n < 2000; ++n) {
    const std::string number = std::to_string(10000 + n).substr(1);
    names.push_back("Person " + number);
    addresses.push_back("p" + number + "@book.example.org");
    book.push_back({names.back(), addresses.back(), "", "", ""});
  }
  std::string list = "\\TITLE Bench\r\n";
  std::string expanded;
  std::vector<std::string> stripped;
  for (int i = 0; i < entries; ++i) {
    if (i % 2 == 0) {
      const std::size_t n = static_cast<std::size_t>(i / 2) % names.size();
      std::string lower = names[n];
      for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      list += lower + "\r\n";
      expanded += lower + "\t" + addresses[n] + "\r\n";
      stripped.push_back(addresses[n]);
    } else {
      const std::string address = "x" + std::to_string(1000000 + i).substr(1) + "@plain.example";
      list += address + "\r\n";
      expanded += address + "\r\n";
      stripped.push_back(address);
    }
  }
  std::string strippedText;
  for (const std::string& line : stripped) strippedText += line + "\r\n";
  strippedText += "\r\n";
  std::sort(stripped.begin(), stripped.end(), SortsBefore);
  std::string sortedText;
  for (const std::string& line : stripped) sortedText += line + "\r\n";

  bool ok = WriteFileBytes(folder + "BENCH.PML", list);
  ok &= WriteFileBytes(folder + "PEOPLE.PMR", tools::AddressBookBytes("People", book));
  ok &= CopyFileA(exe.c_str(), (folder + "QUILLMER.EXE").c_str(), FALSE) != 0;
  RemoteProgram program;
  if (!ok || !program.Start(folder + "QUILLMER.EXE", work)) {
    std::printf("FAIL cannot set up the benchmark folder or start the program\n");
    return 1;
  }
  const PaneFacts atStart = PaneFacts::Of(program.pane());
  std::printf("list of %d entries (%zu bytes), 2,000 names; pane %zu bytes expanded\n", entries,
              list.size(), expanded.size());
  const auto expand = [](const RemoteProgram& p) { p.DoubleClick(std::string("Bench")); };
  TimeStep(program, "first double-click", expanded, expand);
  TimeStep(program, "Strip Names", strippedText,
           [](const RemoteProgram& p) { p.Press(RemoteProgram::kStripId); });
  TimeStep(program, "Sort List", sortedText,
           [](const RemoteProgram& p) { p.Press(RemoteProgram::kSortId); });
  TimeStep(program, "second double-click", expanded, expand);
  CheckSamePane(program, atStart, "the benchmark");
  Check(program.Close() == 0, "closed");
  return failures == 0 ? 0 : 1;
}

int Show(const std::string& exe, const std::string& signals) {
  RemoteProgram program;
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
  if (argc >= 4 && std::string(argv[1]) == "--bench") {
    return Bench(argv[2], argv[3], argc >= 5 ? std::atoi(argv[4]) : 100000);
  }
  if (argc >= 4 && std::string(argv[1]) == "--show") return Show(argv[2], argv[3]);
  if (argc < 3) {
    std::printf("usage: quillmer_e2e_driver QUILLMER.EXE WORK-FOLDER [SIGNAL-FOLDER]\n");
    return 2;
  }
  return EndToEnd(argv[1], argv[2], argc >= 4 ? argv[3] : "");
}
