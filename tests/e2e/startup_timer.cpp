// startup_timer QUILLMER.EXE ROWS: starts the program (in its own folder)
// and prints the seconds from the launch until its window is visible with
// at least ROWS rows in the list box, that is, until the address books and
// the mailing lists of its folder are loaded. Then closes it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: startup_timer QUILLMER.EXE ROWS\n");
    return 2;
  }
  const std::string exe = argv[1];
  const long rows = std::strtol(argv[2], nullptr, 10);
  const std::string folder = exe.substr(0, exe.find_last_of('\\'));
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "startup_timer: cannot start %s\n", exe.c_str());
    return 1;
  }
  HWND window = nullptr;
  double seconds = -1;
  for (int i = 0; i < 120000 && seconds < 0; ++i) {
    HWND found = FindWindowA(nullptr, "List Mailing Addresses");
    DWORD owner = 0;
    if (found != nullptr) GetWindowThreadProcessId(found, &owner);
    if (owner == process.dwProcessId && IsWindowVisible(found) &&
        SendMessageA(GetDlgItem(found, 1), LB_GETCOUNT, 0, 0) >= rows) {
      LARGE_INTEGER now{};
      QueryPerformanceCounter(&now);
      seconds = static_cast<double>(now.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
      window = found;
    } else {
      Sleep(1);
    }
  }
  if (window != nullptr) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (WaitForSingleObject(process.hProcess, 10000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 99);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (seconds < 0) {
    std::fprintf(stderr, "startup_timer: the list box never filled\n");
    return 1;
  }
  std::printf("%.3f\n", seconds);
  return 0;
}
