// startup_timer QUILLMER.EXE ROWS: starts the program (in its own folder)
// and prints the seconds from the launch until its window is visible with
// at least ROWS rows in the list box, that is, until the address books and
// the mailing lists of its folder are loaded. Then closes it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/remote_window.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: startup_timer QUILLMER.EXE ROWS\n");
    return 2;
  }
  const std::string exe = argv[1];
  const long rows = std::strtol(argv[2], nullptr, 10);
  const std::string folder = exe.substr(0, exe.find_last_of('\\'));
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const auto secondsSinceStart = [&] {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
  };
  testsupport::ChildProcess process;
  if (!process.Start(exe, "\"" + exe + "\"", folder)) {
    std::fprintf(stderr, "startup_timer: cannot start %s\n", exe.c_str());
    return 1;
  }
  testsupport::RemoteWindow window;
  double seconds = -1;
  if (window.Find(process.id(), 120000, 1)) {
    while (seconds < 0 && secondsSinceStart() < 120) {
      if (SendMessageW(window.Control(app::kListBoxId), LB_GETCOUNT, 0, 0) >= rows) {
        seconds = secondsSinceStart();
      } else {
        Sleep(1);
      }
    }
    window.PostClose();
    process.Wait(10000);
  }
  if (seconds < 0) {
    std::fprintf(stderr, "startup_timer: the list box never filled\n");
    return 1;
  }
  std::printf("%.3f\n", seconds);
  return 0;
}
