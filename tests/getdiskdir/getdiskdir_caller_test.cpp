// GETDISKDIR as another program calls it: QUILLMER.EXE loaded with
// LoadLibraryA, the function taken by name with GetProcAddress and called
// with length-prefixed strings, while a second thread works the picker.
//
// Usage: getdiskdir_caller_test <path of QUILLMER.EXE> [gtest options]
#include <gtest/gtest.h>
#include <windows.h>

// windows.h first.
#include <oleauto.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/dialog_driver.h"
#include "tests/support/temp_folder.h"

namespace {

using GetDiskDir = char*(__stdcall*)(const std::uint32_t*, char* const*, char* const*);

#if defined(__i386__)
// Calls a function of three pointer arguments the way a caller of a __stdcall
// function does (arguments pushed right to left, nothing removed afterwards)
// and gives the number of argument bytes the callee left on the stack: 0 when
// it removed its 12 bytes itself, 12 for a __cdecl function.
extern "C" int QuillmerCallLeavingStack(const void* function, const void* a, const void* b,
                                        const void* c, char** result);
asm(".text\n"
    ".globl _QuillmerCallLeavingStack\n"
    "_QuillmerCallLeavingStack:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %esi\n"
    "  movl %esp, %esi\n"  // callee-saved: the stack pointer before the pushes
    "  pushl 20(%ebp)\n"
    "  pushl 16(%ebp)\n"
    "  pushl 12(%ebp)\n"
    "  call *8(%ebp)\n"
    "  movl 24(%ebp), %ecx\n"
    "  movl %eax, (%ecx)\n"
    "  movl %esi, %eax\n"
    "  subl %esp, %eax\n"
    "  movl %esi, %esp\n"
    "  popl %esi\n"
    "  popl %ebp\n"
    "  ret\n");
#endif

std::string& ProgramPath() {
  static std::string path;
  return path;
}

// Wine's loader maps an .EXE loaded as a library at another address than
// its preferred one without applying its base relocations (Windows applies
// them; the header's ImageBase then names the address it was loaded at).
// 64-bit code mostly addresses relative to itself, 32-bit code absolutely:
// apply them as the loader would.
bool ApplyRelocations(HMODULE module) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const auto loaded = reinterpret_cast<ULONG_PTR>(base);
  const ULONG_PTR delta = loaded - static_cast<ULONG_PTR>(nt->OptionalHeader.ImageBase);
  if (delta == 0) return true;
  const IMAGE_DATA_DIRECTORY& relocations =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  if (relocations.VirtualAddress == 0) return false;  // cannot run elsewhere
  unsigned char* block = base + relocations.VirtualAddress;
  unsigned char* const end = block + relocations.Size;
  while (block + sizeof(IMAGE_BASE_RELOCATION) <= end) {
    const auto* header = reinterpret_cast<const IMAGE_BASE_RELOCATION*>(block);
    if (header->SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION)) return false;
    const auto* entries = reinterpret_cast<const WORD*>(block + sizeof(IMAGE_BASE_RELOCATION));
    const std::size_t count = (header->SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / sizeof(WORD);
    unsigned char* page = base + header->VirtualAddress;
    DWORD protection = 0;
    // A fix-up may reach 7 bytes into the next page.
    if (!VirtualProtect(page, 0x1000 + 8, PAGE_READWRITE, &protection)) return false;
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char* target = page + (entries[i] & 0xFFF);
      switch (entries[i] >> 12) {
        case IMAGE_REL_BASED_ABSOLUTE:
          break;
        case IMAGE_REL_BASED_HIGHLOW: {
          DWORD value = 0;
          std::memcpy(&value, target, sizeof value);
          value += static_cast<DWORD>(delta);
          std::memcpy(target, &value, sizeof value);
          break;
        }
        case IMAGE_REL_BASED_DIR64: {
          ULONGLONG value = 0;
          std::memcpy(&value, target, sizeof value);
          value += delta;
          std::memcpy(target, &value, sizeof value);
          break;
        }
        default:
          return false;
      }
    }
    VirtualProtect(page, 0x1000 + 8, protection, &protection);
    block += header->SizeOfBlock;
  }
  DWORD protection = 0;
  VirtualProtect(&nt->OptionalHeader.ImageBase, sizeof nt->OptionalHeader.ImageBase, PAGE_READWRITE,
                 &protection);
  nt->OptionalHeader.ImageBase = loaded;
  VirtualProtect(&nt->OptionalHeader.ImageBase, sizeof nt->OptionalHeader.ImageBase, protection,
                 &protection);
  return true;
}

// Wine's loader leaves the import table of an .EXE loaded as a library
// unbound (Windows binds it): fill it in as the loader would.
bool BindImports(HMODULE module) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return true;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    HMODULE library = LoadLibraryA(reinterpret_cast<const char*>(base + entry->Name));
    if (library == nullptr) return false;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      const char* name =
          IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)
              ? reinterpret_cast<const char*>(IMAGE_ORDINAL(names->u1.Ordinal))
              : reinterpret_cast<const char*>(
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
      const FARPROC function = GetProcAddress(library, name);
      if (function == nullptr) return false;
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(function);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
    }
  }
  return true;
}

// A length-prefixed string owned by the test.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& bytes)
      : text_(reinterpret_cast<char*>(
            SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size())))) {}
  static Bstr Adopt(char* text) {
    Bstr owned;
    owned.text_ = text;
    return owned;
  }
  Bstr(Bstr&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(reinterpret_cast<BSTR>(text_)); }
  char* const* Address() const { return &text_; }
  char* Get() const { return text_; }
  std::string Bytes() const {
    return text_ ? std::string(text_, SysStringByteLen(reinterpret_cast<BSTR>(text_)))
                 : std::string();
  }

 private:
  char* text_ = nullptr;
};

// The fresh temporary folder the test folders are made in, with a trailing
// backslash; the second process is told it on its command line.
std::string& FoldersRoot() {
  static std::string root;
  return root;
}

std::string TempFolder(const std::string& name) {
  std::string folder = FoldersRoot() + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// A folder whose path is exactly 259 bytes.
std::string LongFolder() {
  std::string folder = TempFolder("Quillmer Long");
  while (folder.size() < 259) {
    const std::size_t room = 259 - folder.size() - 1;
    folder += "\\" + std::string(room < 40 ? room : 40, 'd');
    CreateDirectoryA(folder.c_str(), nullptr);
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA | SHCNF_FLUSH, folder.c_str(), nullptr);
  }
  return folder;
}

// The folders the pickers are shown, made by a child process before the
// tests run: Wine's picker does not always open down to a folder made by its
// own process moments before (users' folders exist long before).
struct Folders {
  std::string start = TempFolder("Quillmer Start Folder");
  std::string other = TempFolder("Quillmer Other Folder");
  std::string deep = LongFolder();
};

const Folders& TestFolders() {
  static const Folders folders = [] {
    Folders made;
    // Listed once now, as a user's folders were long before: a folder first
    // listed while a picker is open cannot be selected in it under Wine.
    for (const std::string* folder : {&made.start, &made.other, &made.deep}) {
      dialogtest::ListFoldersDownTo(*folder);
    }
    return made;
  }();
  return folders;
}

class GetDiskDirCaller : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TestFolders();
    module_ = LoadLibraryA(ProgramPath().c_str());
    if (module_ != nullptr && ApplyRelocations(module_) && BindImports(module_)) {
      function_ = reinterpret_cast<GetDiskDir>(
          reinterpret_cast<void*>(GetProcAddress(module_, "GETDISKDIR")));
    }
  }
  void SetUp() override {
    ASSERT_NE(nullptr, module_) << "cannot load " << ProgramPath() << ": " << GetLastError();
    ASSERT_NE(nullptr, function_) << "no GETDISKDIR in " << ProgramPath();
  }
  void TearDown() override { dialogtest::CloseEveryDialog(); }

  // Calls GETDISKDIR and checks that none of its arguments changed.
  std::string Call(std::uint32_t owner, const Bstr& title, const Bstr& start) {
    const std::uint32_t ownerBefore = owner;
    char* const titleBefore = title.Get();
    char* const startBefore = start.Get();
    const std::string titleBytes = title.Bytes();
    const std::string startBytes = start.Bytes();
#if defined(__i386__)
    char* returned = nullptr;
    const int left = QuillmerCallLeavingStack(reinterpret_cast<const void*>(function_), &owner,
                                              title.Address(), start.Address(), &returned);
    EXPECT_EQ(0, left) << "GETDISKDIR must remove its 12 bytes of arguments (__stdcall)";
    const Bstr result = Bstr::Adopt(returned);
#else
    const Bstr result = Bstr::Adopt(function_(&owner, title.Address(), start.Address()));
#endif
    EXPECT_EQ(ownerBefore, owner);
    EXPECT_EQ(titleBefore, title.Get());
    EXPECT_EQ(startBefore, start.Get());
    EXPECT_EQ(titleBytes, title.Bytes());
    EXPECT_EQ(startBytes, start.Bytes());
    EXPECT_NE(nullptr, result.Get()) << "the empty string is a string, not the null handle";
    if (result.Get() != nullptr) {
      // A length-prefixed string: the four bytes before the text hold its
      // byte count, and a NUL follows the text.
      std::uint32_t prefix = 0;
      std::memcpy(&prefix, result.Get() - sizeof prefix, sizeof prefix);
      EXPECT_EQ(std::strlen(result.Get()), prefix);
      EXPECT_EQ('\0', result.Get()[prefix]);
      EXPECT_EQ(std::strlen(result.Get()), result.Bytes().size());
    }
    return result.Bytes();
  }

  static HMODULE module_;
  static GetDiskDir function_;
};

HMODULE GetDiskDirCaller::module_ = nullptr;
GetDiskDir GetDiskDirCaller::function_ = nullptr;

#if defined(__i386__)
char returnedText[] = "returned";
char* __cdecl CdeclOfThree(const std::uint32_t*, char* const*, char* const*) {
  return returnedText;
}
char* __stdcall StdcallOfThree(const std::uint32_t*, char* const*, char* const*) {
  return returnedText;
}

TEST(StackCheck, TellsACalleeThatRemovesItsArgumentsFromOneThatLeavesThem) {
  char* returned = nullptr;
  EXPECT_EQ(12, QuillmerCallLeavingStack(reinterpret_cast<const void*>(&CdeclOfThree), nullptr,
                                         nullptr, nullptr, &returned));
  EXPECT_EQ(returnedText, returned);
  returned = nullptr;
  EXPECT_EQ(0, QuillmerCallLeavingStack(reinterpret_cast<const void*>(&StdcallOfThree), nullptr,
                                        nullptr, nullptr, &returned));
  EXPECT_EQ(returnedText, returned);
}
#endif

TEST_F(GetDiskDirCaller, IsExportedByNameAndAsOrdinal1) {
  EXPECT_EQ(reinterpret_cast<void*>(function_),
            reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(1))));
}

TEST_F(GetDiskDirCaller, OkWithoutMovingGivesTheStartFolder) {
  const std::string folder = TestFolders().start;
  std::string title;
  std::string caption;
  HWND owner = reinterpret_cast<HWND>(1);
  dialogtest::Helper user([&] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    dialogtest::WaitForTreeSelection(picker);
    title = dialogtest::PickerTitle(picker);
    owner = GetWindow(picker, GW_OWNER);
    dialogtest::PressOk(picker);
  });
  const std::string chosen = Call(0, Bstr("Pick the mail folder"), Bstr(folder));
  EXPECT_EQ(folder, chosen);
  EXPECT_EQ("Pick the mail folder", title);
  EXPECT_EQ(nullptr, owner);
}

TEST_F(GetDiskDirCaller, TheOwnerWindowOwnsThePicker) {
  HWND window = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  HWND owner = nullptr;
  dialogtest::Helper user([&] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    owner = GetWindow(picker, GW_OWNER);
    dialogtest::PressCancel(picker);
  });
  const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
  EXPECT_EQ("", Call(value, Bstr("t"), Bstr("C:\\")));
  EXPECT_EQ(window, owner);
  DestroyWindow(window);
}

TEST_F(GetDiskDirCaller, CancelGivesTheEmptyString) {
  dialogtest::Helper user([] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    dialogtest::WaitForTreeSelection(picker);
    dialogtest::PressCancel(picker);
  });
  EXPECT_EQ("", Call(0, Bstr("Cancel me"), Bstr(TestFolders().start)));
}

TEST_F(GetDiskDirCaller, AChosenDriveRootKeepsItsOneBackslash) {
  dialogtest::Helper user([] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    dialogtest::WaitForTreeSelection(picker);
    dialogtest::PressOk(picker);
  });
  EXPECT_EQ("C:\\", Call(0, Bstr("t"), Bstr("C:\\")));
}

TEST_F(GetDiskDirCaller, AStartFolderOf300BytesIsCutAt259) {
  // A folder whose path is exactly 259 bytes, then more that does not exist:
  // the picker can only select the folder if the start is cut at 259.
  const std::string folder = TestFolders().deep;
  ASSERT_EQ(259u, folder.size());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str())) << folder;
  const std::string start = folder + "\\" + std::string(300 - 260, 'x');
  ASSERT_EQ(300u, start.size());
  dialogtest::Helper user([] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    dialogtest::WaitForTreeSelection(picker);
    dialogtest::PressOk(picker);
  });
  EXPECT_EQ(folder, Call(0, Bstr("t"), Bstr(start)));
}

TEST_F(GetDiskDirCaller, NullStringHandlesAreEmptyStrings) {
  std::string title = "not read";
  dialogtest::Helper user([&] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    dialogtest::WaitForTreeSelection(picker);
    title = dialogtest::PickerTitle(picker);
    dialogtest::PressCancel(picker);
  });
  EXPECT_EQ("", Call(0, Bstr(), Bstr()));
  EXPECT_EQ("", title);
}

TEST_F(GetDiskDirCaller, AFolderChosenInThePickerIsReturnedWithoutTrailingBackslash) {
  const std::string start = TestFolders().start;
  const std::string other = TestFolders().other;
  std::atomic<bool> selected{false};
  dialogtest::Helper user([&] {
    HWND picker = dialogtest::WaitForPicker();
    if (picker == nullptr) return;
    dialogtest::WaitForTreeSelection(picker);
    selected = dialogtest::SelectInPicker(picker, other);
    dialogtest::PressOk(picker);
  });
  EXPECT_EQ(other, Call(0, Bstr("t"), Bstr(start)));
  EXPECT_TRUE(selected.load()) << "the picker never showed " << other << " selected";
}

}  // namespace

// Runs this program again with --make-folders ROOT and waits for it.
void MakeFoldersInAnotherProcess(const std::string& root) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = std::string("\"") + self + "\" --make-folders \"" + root + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--make-folders") {
    FoldersRoot() = std::string(argv[2]) + "\\";
    TestFolders();
    return 0;
  }
  const testsupport::TempFolder root("quillmer-getdiskdir");
  // No trailing backslash on the command line: before the closing quote it
  // would escape the quote.
  MakeFoldersInAnotherProcess(root.path().string());
  FoldersRoot() = root.path().string() + "\\";
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <QUILLMER.EXE> [gtest options]\n", argv[0]);
    return 2;
  }
  // CTest gives the build tree's path; under Wine that tree is drive Z:.
  std::string path = argv[1];
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
  }
  ProgramPath() = path;
  return RUN_ALL_TESTS();
}
