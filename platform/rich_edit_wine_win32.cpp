// Emptying the output pane under Wine in time that does not grow with its
// text.
//
// Wine's rich edit (riched20, behind RICHED32.DLL) removes text in time that
// grows with the square of the paragraph count: every way of deleting
// (WM_SETTEXT, EM_SETTEXTEX, EM_STREAMIN, EM_REPLACESEL, the keyboard, undo)
// ends in one loop that takes a run or a paragraph end per step and walks
// the paragraphs from the first one on each step. A pane of 100,000 lines
// did not empty in nine minutes; filling an empty one takes seconds.
//
// What this relies on, read in Wine 8.0's dlls/riched20/txthost.c and
// verified by the end-to-end tests on Wine 8.0 only:
// - the control's window procedure keeps its editor in the window's extra
//   long 0 and reaches it through that long alone;
// - on WM_DESTROY it releases the editor, which frees it and sets that long
//   to 0 (nothing else holds the editor: the program never hands out its
//   OLE interfaces);
// - a WM_NCCREATE arriving while that long is 0 builds a fresh, empty
//   editor for the window, Rich Edit 1.0 emulation included for this class,
//   and stores it there; its scroll bars come from the window's styles;
// - WM_CREATE then activates the editor and sets its text from the
//   CREATESTRUCT's window name.
// The messages are sent to the live window, which user32 neither destroys
// nor re-creates: the handle, id, class, position in the tab order and
// every window style stay. On Windows, sending these messages to a live
// control is undefined, so nothing here runs unless ntdll names a Wine
// release listed in kVerifiedWineReleases; any check that fails leaves the
// caller to empty the control the ordinary way.
#include "platform/rich_edit_wine_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace platform::wine_rich_edit {

namespace {

// Wine releases (as wine_get_version gives them) on which the tests
// verified the steps above.
constexpr const char* kVerifiedWineReleases[] = {"8.0"};

bool OnVerifiedWine() {
  static const bool verified = [] {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr) return false;
    using VersionFunction = const char*(CDECL*)();
    const auto version = reinterpret_cast<VersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    const char* release = version != nullptr ? version() : nullptr;
    if (release == nullptr) return false;
    return std::any_of(std::begin(kVerifiedWineReleases), std::end(kVerifiedWineReleases),
                       [release](const char* v) { return std::strcmp(v, release) == 0; });
  }();
  return verified;
}

// What NoteCreated remembers is kept as properties of the control's own
// window, so it goes with the control. A control's style always has
// WS_CHILD set, so a noted style never reads as "none".
constexpr char kStyleProperty[] = "Quillmer.RichEditStyle";
constexpr char kFontProperty[] = "Quillmer.RichEditFont";

LONG_PTR Editor(HWND control) {
  return GetWindowLongPtrW(control, 0);
}

// The window procedure reaches its editor through the extra long 0, of
// the class Wine's RICHED32.DLL registers, and nobody has put another
// window procedure in front of the class's own.
bool IsPlainRichEdit10(HWND control) {
  char name[16] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "RichEdit") == 0 &&
         GetClassLongPtrA(control, GCL_CBWNDEXTRA) >= sizeof(LONG_PTR) &&
         static_cast<ULONG_PTR>(GetWindowLongPtrW(control, GWLP_WNDPROC)) ==
             GetClassLongPtrW(control, GCLP_WNDPROC) &&
         GetWindowThreadProcessId(control, nullptr) == GetCurrentThreadId();
}

}  // namespace

void NoteCreated(HWND control, DWORD style, HFONT font) {
  if (control == nullptr) return;
  SetPropA(control, kStyleProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(style)));
  SetPropA(control, kFontProperty, font);
}

bool EmptyWithFreshEditor(HWND control) {
  if (!OnVerifiedWine() || !IsWindow(control)) return false;
  const auto createdStyle =
      static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(GetPropA(control, kStyleProperty)));
  const auto createdFont = static_cast<HFONT>(GetPropA(control, kFontProperty));
  if (createdStyle == 0 || !IsPlainRichEdit10(control) || Editor(control) == 0) return false;

  // What the program and the user set on the editor, which the fresh one
  // is given again. The font is the one the control was given unless the
  // editor names another.
  const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  const LRESULT limit = SendMessageA(control, EM_GETLIMITTEXT, 0, 0);
  const LRESULT events = SendMessageA(control, EM_GETEVENTMASK, 0, 0);
  const LRESULT options = SendMessageA(control, EM_GETOPTIONS, 0, 0);
  const bool focused = GetFocus() == control;
  // The editor shows and hides the scroll bars by their style bits as the
  // text needs them; it reads which ones it may use from the style when it
  // is built, so it gets those it was first made with.
  constexpr DWORD kScrollBars = WS_VSCROLL | WS_HSCROLL;
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
  const DWORD buildStyle = (style & ~kScrollBars) | (createdStyle & kScrollBars);
  HWND parent = GetParent(control);
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);

  SendMessageA(control, WM_DESTROY, 0, 0);
  // Another holder keeps the editor alive: it still works, untouched.
  if (Editor(control) != 0) return false;

  SetWindowLongPtrA(control, GWL_STYLE, static_cast<LONG_PTR>(buildStyle));
  CREATESTRUCTA build{};
  build.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(control, GWLP_HINSTANCE));
  build.hMenu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(control)));
  build.hwndParent = parent;
  build.x = rect.left;
  build.y = rect.top;
  build.cx = rect.right - rect.left;
  build.cy = rect.bottom - rect.top;
  build.style = static_cast<LONG>(buildStyle);
  build.lpszName = "";
  build.lpszClass = "RichEdit";
  build.dwExStyle = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_EXSTYLE));
  const auto parameters = reinterpret_cast<LPARAM>(&build);
  // Only a failed allocation stops WM_NCCREATE; a second try is all that
  // can be done, as the window has no editor until one succeeds.
  if (SendMessageA(control, WM_NCCREATE, 0, parameters) == 0 || Editor(control) == 0) {
    SendMessageA(control, WM_NCCREATE, 0, parameters);
  }
  if (Editor(control) == 0) return false;
  SendMessageA(control, WM_CREATE, 0, parameters);

  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font != nullptr ? font : createdFont),
               FALSE);
  SendMessageA(control, EM_EXLIMITTEXT, 0, limit);
  if (SendMessageA(control, EM_GETEVENTMASK, 0, 0) != events) {
    SendMessageA(control, EM_SETEVENTMASK, 0, events);
  }
  if (SendMessageA(control, EM_GETOPTIONS, 0, 0) != options) {
    SendMessageA(control, EM_SETOPTIONS, ECOOP_SET, options);
  }
  if (focused) SendMessageA(control, WM_SETFOCUS, 0, 0);
  return SendMessageA(control, WM_GETTEXTLENGTH, 0, 0) == 0;
}

}  // namespace platform::wine_rich_edit
