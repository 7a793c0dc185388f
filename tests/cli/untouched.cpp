// quillmer_untouched WORK [QUILLMER.EXE]
// Nothing is ever written to a mail folder, proven once for everything:
// makes a mail folder in WORK (books, lists, a folder named like a book, a
// hidden file; with QUILLMER.EXE, the program too), takes a snapshot of it
// (every entry's name, size, bytes and modification time), runs every
// command of quillmer-cli's table with every format it writes, with and
// without a LIST, and presses every button of the window (Windows), then
// takes the snapshot again: it must be the same, with no entry more or less.
// Exit status 0, or 1 with what differed.
#include "tests/cli/untouched.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "exchange/export_targets.h"
#include "exchange/import_readers.h"
#include "tools/address_book_writer.h"

namespace {

namespace fs = std::filesystem;

struct Entry {
  bool folder = false;
  std::uintmax_t size = 0;
  std::string bytes;
  fs::file_time_type modified;
  bool operator==(const Entry& o) const {
    return std::tie(folder, size, bytes, modified) ==
           std::tie(o.folder, o.size, o.bytes, o.modified);
  }
};

using Snapshot = std::map<std::string, Entry>;

Snapshot Take(const fs::path& root) {
  Snapshot snapshot;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    Entry entry;
    entry.folder = e.is_directory();
    entry.modified = e.last_write_time();
    if (!entry.folder) {
      entry.size = e.file_size();
      std::ifstream in(e.path(), std::ios::binary);
      entry.bytes.resize(static_cast<std::size_t>(entry.size));
      in.read(entry.bytes.data(), static_cast<std::streamsize>(entry.bytes.size()));
    }
    snapshot[fs::relative(e.path(), root).generic_string()] = entry;
  }
  return snapshot;
}

bool Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

bool MakeMailFolder(const fs::path& mail) {
  fs::create_directories(mail / "DIR.PMR");
  bool ok =
      Write(mail / "FRIENDS.PMR",
            tools::AddressBookBytes("Friends", {{"Jo Smith", "jo@example.org", "Club", "1", ""},
                                                {"Ann Lee", "", "", "", "no address"},
                                                {"Sam", "sam@one.example", "", "", ""},
                                                {"Sam", "sam@two.example", "", "", ""}}));
  ok &= Write(mail / "EMPTY.PMR", "");
  ok &= Write(mail / "FRIENDS.PML",
              "\\TITLE Friends\r\nJo Smith\r\nann lee\r\nsam\r\nstranger\r\nx@y\r\nx@y\r\n");
  ok &= Write(mail / "LF.PML", "\\TITLE Lf\r\nzed\njo smith\r\n");
  ok &= Write(mail / "EMPTY.PML", "");
  ok &= Write(mail / ".HIDDEN.PML", "\\TITLE Hidden\r\n");
  ok &= Write(mail / "NOTES.TXT", "not a book");
  return ok;
}

// Every command line the check runs: each command of the table, with each
// format it writes (its default too), as the window's buttons for expand,
// to each target of export, naming the folder alone and the folder and a
// list; import from every source, out of a file in the mail folder into
// another folder.
std::vector<std::vector<std::string>> CommandLines(const std::string& folder,
                                                   const std::string& imported) {
  std::vector<std::vector<std::string>> lines;
  for (const cli::Command* command : cli::Commands()) {
    std::vector<std::vector<std::string>> options = {{}};
    std::vector<std::string> flags;  // every option without a value, together
    for (const cli::Option& option : command->options) {
      for (const std::string_view choice : option.choices) {
        options.push_back({std::string(option.name), std::string(choice)});
      }
      if (option.value.empty()) flags.emplace_back(option.name);
      if (option.name == "--codepage") options.push_back({"--codepage", "850"});
    }
    if (!flags.empty()) options.push_back(flags);
    if (command->name == "export") {
      // Every target, written and reported; ldap needs the entry it goes under.
      options.clear();
      for (const exchange::ExportTarget& target : exchange::ExportTargets()) {
        std::vector<std::string> to = {"--to", std::string(target.name)};
        if (target.needsBase) to.insert(to.end(), {"--base", "dc=example,dc=org"});
        options.push_back(to);
        to.push_back("--report");
        options.push_back(to);
      }
    }
    if (command->name == "import") {
      // The one command that writes: only new files, only into --into,
      // here a folder beside the mail folder, from a file inside it.
      options.clear();
      for (const exchange::ImportSource& source : exchange::ImportSources()) {
        for (const bool report : {false, true}) {
          std::vector<std::string> line = {std::string(command->name), "--from",
                                           std::string(source.name), "--into", imported};
          if (report) line.push_back("--report");
          line.push_back(folder + "/NOTES.TXT");
          lines.push_back(line);
        }
      }
    }
    for (const std::vector<std::string>& option : options) {
      for (const std::vector<std::string>& rest :
           {std::vector<std::string>{folder}, {folder, "Friends"}, {folder, "LF.PML"}}) {
        std::vector<std::string> line = {std::string(command->name)};
        line.insert(line.end(), option.begin(), option.end());
        line.insert(line.end(), rest.begin(), rest.end());
        lines.push_back(line);
      }
    }
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: quillmer_untouched WORK [QUILLMER.EXE]\n");
    return 2;
  }
  const fs::path work = fs::absolute(argv[1]);
  const fs::path mail = work / "Mail";
  fs::remove_all(work);
  fs::create_directories(work);
  bool ok = MakeMailFolder(mail);
  const std::string exe = argc >= 3 ? (mail / "QUILLMER.EXE").string() : std::string();
  if (!exe.empty()) ok &= fs::copy_file(argv[2], exe);
  if (!ok) {
    std::printf("FAIL cannot make the mail folder %s\n", mail.string().c_str());
    return 1;
  }
  // Modification times are compared whole; a write within the same tick
  // as the setting up would go unseen, so let the clock move on first.
  const Snapshot before = Take(mail);
  std::this_thread::sleep_for(std::chrono::milliseconds{50});

  int failures = 0;
  std::map<std::string, int> ran;  // command: the runs that read the folder
  for (const std::vector<std::string>& line :
       CommandLines(mail.string(), (work / "Imported").string())) {
    std::string out;
    std::string err;
    const int status =
        cli::Run(line, "\n", out, err, {.drain = {}, .retryFor = std::chrono::milliseconds{0}});
    if (status != cli::kExitError || line[0] == "import") ++ran[line[0]];
    if (status == cli::kExitUnreadable || (out.empty() && err.empty())) {
      std::printf("FAIL %s ... gave exit status %d, output [%s] [%s]\n", line[0].c_str(), status,
                  out.c_str(), err.c_str());
      ++failures;
    }
  }
  for (const cli::Command* command : cli::Commands()) {
    const int runs = ran[std::string(command->name)];
    std::printf("%s quillmer-cli %s: %d runs that read the folder\n", runs > 0 ? "ok  " : "FAIL",
                std::string(command->name).c_str(), runs);
    if (runs == 0) ++failures;
  }
  if (!exe.empty() && !untouched::PressEveryButton(exe, mail.string())) ++failures;

  const Snapshot after = Take(mail);
  for (const auto& [name, entry] : before) {
    const auto found = after.find(name);
    if (found == after.end()) {
      std::printf("FAIL %s is gone\n", name.c_str());
      ++failures;
    } else if (!(found->second == entry)) {
      std::printf("FAIL %s changed (size, bytes or modification time)\n", name.c_str());
      ++failures;
    }
  }
  for (const auto& [name, entry] : after) {
    if (before.count(name) == 0) {
      std::printf("FAIL %s appeared\n", name.c_str());
      ++failures;
    }
  }
  std::printf("%s the mail folder's %zu entries are as they were\n",
              failures == 0 ? "ok  " : "FAIL", before.size());
  if (failures == 0) fs::remove_all(work);
  return failures == 0 ? 0 : 1;
}
