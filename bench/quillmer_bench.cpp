// Loading a folder of 50 address books (200,000 records) and expanding a
// 100,000-entry list against them, each next to a baseline run in the same
// process: reading the same files, opened the same way, through one reused
// buffer of the loader's piece size (the bytes the load must read, at the
// cheapest), and cutting the same list into lines appended with no lookup.
// Ends with the ratios and the peak memory of one load, against their goals.
//
// Peak memory is the VmHWM of a child process that only loads the folder
// (everything the system charged, code and stacks included; the tables live
// in memory of their own, not on the C++ heap). Goal: the tables' own size
// plus 16 MiB.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/address_book.h"
#include "engine/expansion.h"
#include "engine/lines.h"
#include "engine/mail_folder.h"
#include "engine/mailing_list.h"
#include "platform/files.h"
#include "tools/address_book_writer.h"

namespace {

constexpr int kBooks = 50;
constexpr int kRecords = 200000;
constexpr int kListEntries = 100000;

const char* const kFirst[] = {"Alexandra", "Bo", "Charlotte", "Dmitri", "Eve",        "Fran\xE7ois",
                              "Gwendolyn", "Hu", "Isabella",  "Jo",     "Konstantin", "Li"};
const char* const kLast[] = {
    "Smith", "Featherstonehaugh", "Ng",       "O'Brien", "M\x81ller", "Castellanos",
    "Wu",    "Abernathy-Jones",   "Kowalski", "Tan"};

std::string PersonName(int i) {
  return std::string(kFirst[i % 12]) + " " + kLast[(i / 12) % 10] + " " + std::to_string(i);
}

std::string PersonAddress(int i) {
  return std::string(kFirst[i % 12]).substr(0, 3) + "." + std::to_string(i) + "@example-mail.org";
}

struct Workload {
  std::filesystem::path folder;
  std::string list;  // the list file's bytes
};

Workload& Load() {
  static Workload w = [] {
    Workload made;
    made.folder =
        std::filesystem::temp_directory_path() / ("quillmer-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(made.folder);
    for (int b = 0; b < kBooks; ++b) {
      std::vector<tools::BookEntry> entries;
      for (int r = b; r < kRecords; r += kBooks) {
        entries.push_back({PersonName(r), PersonAddress(r), "Quillmer Testing Ltd",
                           "+64 4 555 0100", "met at the conference"});
      }
      std::ofstream(made.folder / ("book" + std::to_string(b) + ".PMR"), std::ios::binary)
          << tools::AddressBookBytes("Book " + std::to_string(b), entries);
    }
    // Half the entries are names, written in other letter cases than the
    // books; the other half are plain addresses no book holds.
    std::mt19937 random(5);
    made.list = "\\TITLE Everyone\r\n";
    for (int e = 0; e < kListEntries; ++e) {
      const int r = static_cast<int>(random() % kRecords);
      if (e % 2 == 0) {
        std::string name = PersonName(r);
        for (char& c : name) {
          if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        }
        made.list += name;
      } else {
        made.list += "friend" + std::to_string(r) + "@elsewhere.net";
      }
      made.list += "\r\n";
    }
    return made;
  }();
  return w;
}

// The window's load keeps to its one thread; the command line's may read
// the books as two runs at once (engine::Split).
void LoadAddressBooks(benchmark::State& state, engine::Split split) {
  const std::string folder = Load().folder.string();
  std::size_t records = 0;
  for (auto _ : state) {
    const std::shared_ptr<const engine::MailFolder> opened =
        engine::OpenMailFolder(folder, {.split = split}).folder;
    benchmark::DoNotOptimize(opened->BookNames().DataOf(0));
    records = opened->BookNames().size();
  }
  state.counters["records"] = static_cast<double>(records);
}

void BM_LoadAddressBooks(benchmark::State& state) {
  LoadAddressBooks(state, engine::Split::kNever);
}

void BM_LoadAddressBooksTwoRuns(benchmark::State& state) {
  LoadAddressBooks(state, engine::Split::kWhenWorthIt);
}

void BM_ReadBooksBaseline(benchmark::State& state) {
  const std::string folder = Load().folder.string();
  // The loader's piece: 512 whole records.
  constexpr std::size_t kPiece = 512 * engine::kBookRecordSize;
  const std::unique_ptr<char[]> piece(new char[kPiece]);
  for (auto _ : state) {
    std::size_t bytes = 0;
    const std::vector<std::string> books =
        platform::ListMatchingFiles(folder, "*.PMR").value_or(std::vector<std::string>{});
    for (const std::string& file : books) {
      platform::ExclusiveFile book(platform::PathInFolder(folder, file));
      while (const std::optional<std::size_t> got = book.ReadNext(piece.get(), kPiece)) {
        bytes += *got;
        benchmark::DoNotOptimize(piece.get());
        if (*got < kPiece) break;
      }
    }
    benchmark::DoNotOptimize(bytes);
  }
}

// The same for the expansion: the window's in one piece, the command
// line's in two halves at once.
void ExpandList(benchmark::State& state, engine::Split split) {
  const std::shared_ptr<const engine::MailFolder> opened =
      engine::OpenMailFolder(Load().folder.string()).folder;
  const std::string& list = Load().list;
  std::size_t resolved = 0;
  for (auto _ : state) {
    const std::string text = engine::ExpandListText(list, *opened, split);
    benchmark::DoNotOptimize(text.data());
    resolved = text.size();
  }
  state.counters["bytes_out"] = static_cast<double>(resolved);
}

void BM_ExpandList(benchmark::State& state) {
  ExpandList(state, engine::Split::kNever);
}

void BM_ExpandListInHalves(benchmark::State& state) {
  ExpandList(state, engine::Split::kWhenWorthIt);
}

void BM_SplitListBaseline(benchmark::State& state) {
  const std::string& list = Load().list;
  for (auto _ : state) {
    std::string text;
    engine::LineReader reader(list);
    std::string_view line;
    while (reader.Next(line)) {
      text += line;
      text += "\r\n";
    }
    benchmark::DoNotOptimize(text.data());
  }
}

BENCHMARK(BM_LoadAddressBooks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAddressBooksTwoRuns)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadBooksBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandListInHalves)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SplitListBaseline)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration for the closing figures.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  // CPU time (user and system) of the process: on a shared machine the
  // fairer measure, as waiting for a processor is left out.
  std::map<std::string, double> cpuSeconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e3;  // reported in ms
      cpuSeconds[run.benchmark_name()] = run.GetAdjustedCPUTime() / 1e3;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// The memory goal of one load: the tables' own size (their arenas and
// offsets, and the index over the names) and 16 MiB.
double TablesSize(const engine::MailFolder& folder) {
  return static_cast<double>(folder.BookNames().FootprintBytes() +
                             folder.BookAddresses().FootprintBytes() +
                             folder.BookNameIndex().FootprintBytes());
}

double StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::atof(line.c_str() + prefix.size());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Child mode: load once and tell what the system charged.
  if (argc == 4 && std::string(argv[1]) == "--load-once") {
    const double before = StatusKiB("VmRSS");
    const engine::Split split =
        std::string(argv[3]) == "two" ? engine::Split::kWhenWorthIt : engine::Split::kNever;
    const std::shared_ptr<const engine::MailFolder> opened =
        engine::OpenMailFolder(argv[2], {.split = split}).folder;
    if (!opened) return 1;
    std::printf("%.0f %.0f %.0f\n", before, StatusKiB("VmHWM"), TablesSize(*opened) / 1024);
    return 0;
  }

  benchmark::Initialize(&argc, argv);
  Workload& w = Load();
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  struct Child {
    double before = 0;
    double peak = 0;
    double tables = 0;
  };
  // One load in a process of its own, as the window makes it ("one") or
  // the command line ("two").
  const auto loadOnce = [&](const char* runs) {
    Child c;
    const std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() +
                                "' --load-once '" + w.folder.string() + "' " + runs;
    if (FILE* child = popen(command.c_str(), "r")) {
      if (std::fscanf(child, "%lf %lf %lf", &c.before, &c.peak, &c.tables) != 3) c.peak = 0;
      pclose(child);
    }
    return c;
  };
  const Child window = loadOnce("one");
  const Child commandLine = loadOnce("two");

  const auto ratio = [&](const char* a, const char* b) {
    return reporter.seconds.count(a) && reporter.seconds.count(b) && reporter.seconds[b] > 0
               ? reporter.seconds[a] / reporter.seconds[b]
               : 0.0;
  };
  const double load = ratio("BM_LoadAddressBooks", "BM_ReadBooksBaseline");
  const double expand = ratio("BM_ExpandList", "BM_SplitListBaseline");
  const double loadTwo = ratio("BM_LoadAddressBooksTwoRuns/real_time", "BM_ReadBooksBaseline");
  const double expandTwo = ratio("BM_ExpandListInHalves/real_time", "BM_SplitListBaseline");
  const auto cpuRatio = [&](const char* a, const char* b) {
    return reporter.cpuSeconds.count(a) && reporter.cpuSeconds.count(b) &&
                   reporter.cpuSeconds[b] > 0
               ? reporter.cpuSeconds[a] / reporter.cpuSeconds[b]
               : 0.0;
  };
  std::printf("\nCPU time (one thread): load %.2fx the read, expand %.2fx the split",
              cpuRatio("BM_LoadAddressBooks", "BM_ReadBooksBaseline"),
              cpuRatio("BM_ExpandList", "BM_SplitListBaseline"));
  const auto verdict = [](double measured, double limit) {
    return measured <= 0 ? "not measured" : measured <= limit ? "met" : "MISSED";
  };
  std::printf("\nThe window (one thread):\n");
  std::printf("  load / read baseline:    %.2fx (goal at most 2x)   %s\n", load, verdict(load, 2));
  std::printf("  expand / split baseline: %.2fx (goal at most 3x)   %s\n", expand,
              verdict(expand, 3));
  std::printf("The command line (two runs, two halves, where a second processor is there):\n");
  std::printf("  load / read baseline:    %.2fx (goal at most 2x)   %s\n", loadTwo,
              verdict(loadTwo, 2));
  std::printf("  expand / split baseline: %.2fx (goal at most 3x)   %s\n", expandTwo,
              verdict(expandTwo, 3));
  for (const auto& [label, c] :
       {std::pair{"window", window}, std::pair{"command line", commandLine}}) {
    if (c.peak <= 0) continue;
    const double goal = c.tables / 1024 + 16;
    std::printf("VmHWM of one load, %-12s %.1f MiB (%.1f MiB before loading); goal %.1f MiB   %s\n",
                label, c.peak / 1024, c.before / 1024, goal,
                c.peak / 1024 <= goal ? "met" : "MISSED");
  }

  std::error_code ignored;
  std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
  std::filesystem::remove_all(w.folder, ignored);
  benchmark::Shutdown();
  return 0;
}
