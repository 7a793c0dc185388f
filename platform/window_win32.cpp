// The window layer on Win32: a modeless dialog box from an in-memory
// template run by the program's own modal loop, child controls made with
// CreateWindowExA, a Rich Edit 1.0 output pane refilled in place.
#include <richedit.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/rich_edit_wine_win32.h"
#include "platform/window.h"

namespace platform {

static_assert(kCommandMessage == WM_COMMAND);
static_assert(kButtonClicked == BN_CLICKED);
static_assert(kListDoubleClick == LBN_DBLCLK);
static_assert(kWsChild == WS_CHILD && kWsVisible == WS_VISIBLE);
static_assert(kWsVScroll == WS_VSCROLL && kWsHScroll == WS_HSCROLL);
static_assert(kWsTabStop == WS_TABSTOP && kWsSysMenu == WS_SYSMENU && kWsCaption == WS_CAPTION);
static_assert(kWsMinimizeBox == WS_MINIMIZEBOX && kWsExClientEdge == WS_EX_CLIENTEDGE);
static_assert(kDs3dLook == DS_3DLOOK && kDsNoFailCreate == DS_NOFAILCREATE);
static_assert(kDsSetFont == DS_SETFONT && kDsCenter == DS_CENTER);
static_assert(kSsLeft == SS_LEFT && kEsLeft == ES_LEFT && kEsMultiline == ES_MULTILINE);
static_assert(kEsAutoHScroll == ES_AUTOHSCROLL && kEsWantReturn == ES_WANTRETURN);
static_assert(kBsPushButton == BS_PUSHBUTTON && kBsFlat == BS_FLAT);
static_assert(kLbsNotify == LBS_NOTIFY && kLbsSort == LBS_SORT);

namespace {

HWND Handle(Window window) {
  return reinterpret_cast<HWND>(window);
}

HWND Child(Window window, int id) {
  return window != nullptr ? GetDlgItem(Handle(window), id) : nullptr;
}

// Marks a control whose notification (WM_COMMAND) the main window is
// handling right now; a handler called for it runs inside that control's
// own window procedure. The mark is a property of the control's window, so
// it goes with the control; a count, as notifications nest.
constexpr char kNotifyingProperty[] = "Quillmer.Notifying";

class NotificationScope {
 public:
  explicit NotificationScope(HWND control) : control_(control) { Add(1); }
  ~NotificationScope() { Add(-1); }
  NotificationScope(const NotificationScope&) = delete;
  NotificationScope& operator=(const NotificationScope&) = delete;

 private:
  void Add(INT_PTR step) {
    // A control the handler saw destroyed took its properties with it.
    if (control_ == nullptr || !IsWindow(control_)) return;
    const INT_PTR count = reinterpret_cast<INT_PTR>(GetPropA(control_, kNotifyingProperty)) + step;
    if (count > 0) {
      SetPropA(control_, kNotifyingProperty, reinterpret_cast<HANDLE>(count));
    } else {
      RemovePropA(control_, kNotifyingProperty);
    }
  }
  HWND control_;
};

bool IsNotifying(HWND control) {
  return GetPropA(control, kNotifyingProperty) != nullptr;
}

// What CreateMainWindow hands to WM_INITDIALOG, which keeps the router in
// DWLP_USER and the context in GWLP_USERDATA of the dialog itself. Win32
// calls a dialog procedure as a plain function with no context of ours: the
// place it forces is the window's own data, not a module variable, so the
// state stays with the window it belongs to. What stays process-wide is the
// system's own: the loaded RICHED32.DLL, the current directory and the
// error mode (files_win32.cpp restores that after every call).
struct Creation {
  CommandRouter router;
  WindowContext* context;
};

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* creation = reinterpret_cast<const Creation*>(lparam);
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(creation->router));
      SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->context));
      return TRUE;
    }
    case WM_COMMAND: {
      const auto router = reinterpret_cast<CommandRouter>(GetWindowLongPtrA(dialog, DWLP_USER));
      auto* context = reinterpret_cast<WindowContext*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
      if (router == nullptr || context == nullptr) return FALSE;
      const NotificationScope scope(reinterpret_cast<HWND>(lparam));
      const std::intptr_t result = router(*context, reinterpret_cast<Window>(dialog),
                                          static_cast<std::uintptr_t>(wparam), lparam);
      if (result == 0) return FALSE;
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) != SC_CLOSE) return FALSE;
      SendMessageA(dialog, WM_CLOSE, 0, 0);
      EndDialog(dialog, 0);
      DestroyWindow(dialog);
      return TRUE;
    case WM_ACTIVATE:
      // Handled: no saving and restoring of the focused control.
      return TRUE;
    default:
      return FALSE;
  }
}

// The dialog template's words: DLGTEMPLATE, no menu, the standard dialog
// class, an empty title (set afterwards with SetWindowTextA, so the caption
// bytes need no conversion), then the font. The font name is ASCII.
std::vector<WORD> DialogTemplate(const MainWindowSpec& layout) {
  std::vector<WORD> words;
  auto put32 = [&words](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  put32(layout.style);
  put32(0);                                           // extended style
  words.push_back(0);                                 // no controls
  words.push_back(static_cast<WORD>(-1));             // x: centred
  words.push_back(static_cast<WORD>(-1));             // y
  words.push_back(static_cast<WORD>(layout.width));   // cx
  words.push_back(static_cast<WORD>(layout.height));  // cy
  words.push_back(0);                                 // no menu
  words.push_back(0);                                 // standard class
  words.push_back(0);                                 // empty title
  words.push_back(static_cast<WORD>(layout.fontPoints));
  for (const char* c = layout.fontName; *c != '\0'; ++c) {
    words.push_back(static_cast<unsigned char>(*c));
  }
  words.push_back(0);
  return words;
}

// Feeds a byte string to EM_STREAMIN.
struct StreamSource {
  std::string_view text;
  std::size_t done = 0;
};

DWORD CALLBACK ReadStreamChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const std::size_t left = source->text.size() - source->done;
  const std::size_t count = std::min(left, static_cast<std::size_t>(std::max<LONG>(wanted, 0)));
  std::copy_n(source->text.data() + source->done, count, buffer);
  source->done += count;
  *given = static_cast<LONG>(count);
  return 0;
}

// Characters deleted per message when the pane is emptied (see SetPaneText).
constexpr LRESULT kDeleteSlice = 4096;

// Above this many characters the pane is emptied with a fresh editor where
// that can be done (see SetPaneText).
constexpr LRESULT kFreshEditorAbove = 16384;

}  // namespace

std::string ProgramFilePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool LoadRichEditLibrary() {
  return LoadLibraryA("RICHED32.DLL") != nullptr;
}

Window CreateMainWindow(const MainWindowSpec& layout, CommandRouter router,
                        WindowContext& context) {
  const std::vector<WORD> words = DialogTemplate(layout);
  const Creation creation{router, &context};
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), nullptr,
                                           MainDialogProc, reinterpret_cast<LPARAM>(&creation));
  if (dialog == nullptr) return nullptr;
  SetWindowTextA(dialog, layout.caption);
  return reinterpret_cast<Window>(dialog);
}

bool AddControl(Window window, const ControlSpec& layout) {
  if (window == nullptr) return false;
  HWND dialog = Handle(window);
  RECT rect{layout.x, layout.y, layout.x + layout.width, layout.y + layout.height};
  MapDialogRect(dialog, &rect);
  HWND control = CreateWindowExA(
      layout.exStyle, layout.windowClass, layout.text, layout.style, rect.left, rect.top,
      rect.right - rect.left, rect.bottom - rect.top, dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), GetModuleHandleA(nullptr), nullptr);
  if (control == nullptr) return false;
  const LRESULT font = SendMessageA(dialog, WM_GETFONT, 0, 0);
  SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  if (lstrcmpiA(layout.windowClass, "richedit") == 0) {
    wine_rich_edit::NoteCreated(control, layout.style, reinterpret_cast<HFONT>(font));
  }
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(layout.handler));
  return true;
}

void ShowMainWindow(Window window) {
  if (window != nullptr) ShowWindow(Handle(window), SW_SHOW);
}

void RunModalLoop(Window window) {
  HWND dialog = Handle(window);
  while (IsWindow(dialog)) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsWindow(dialog) || !IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      if (!IsWindow(dialog)) return;
    }
    // Sleeps until input or a sent message arrives: no cost while idle.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

ControlHandler StoredHandler(Window window, int id) {
  HWND control = Child(window, id);
  if (control == nullptr) return nullptr;
  return reinterpret_cast<ControlHandler>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

std::string ControlText(Window window, int id) {
  HWND control = Child(window, id);
  if (control == nullptr) return {};
  const auto length = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const auto got =
      SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
  return text;
}

void SetControlText(Window window, int id, std::string_view text) {
  HWND control = Child(window, id);
  if (control == nullptr) return;
  const std::string copy(text);
  SetWindowTextA(control, copy.c_str());
}

void RaisePaneTextLimit(Window window, int id) {
  if (HWND pane = Child(window, id)) SendMessageA(pane, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

// The pane keeps its window for the life of the main window, so whoever
// holds its handle (a screen reader, a script) keeps a working handle.
//
// Wine's rich edit (riched20, behind RICHED32.DLL) takes time that grows with
// the square of the line count to delete a long text: every step of its
// delete loop finds its place by walking the paragraphs from the first one
// (cursor_from_char_ofs), then updates every paragraph after it. On the Wine
// releases the tests verified, a pane holding more than kFreshEditorAbove
// characters is emptied by giving its window a fresh editor instead
// (rich_edit_wine_win32.cpp), unless the pane itself is notifying the main
// window, whose handler then runs inside the pane's own window procedure.
// Everywhere else, and whenever that cannot be done, the text is deleted
// from the start in slices of kDeleteSlice characters, one message each,
// which keeps the walks short; what remains is the control's own update of
// the paragraphs after each deleted piece. Meanwhile the pane does not
// redraw. The pane's undo limit is left as it is: setting it to 0 around the
// deletion and back afterwards made Wine's control keep about 0.7 MB more
// for every refill, for the life of the process. The deleted slices are
// undo records of their own, dropped with EM_EMPTYUNDOBUFFER once the pane
// is empty. Streaming in without a selection then fills the empty control.
void SetPaneText(Window window, int id, std::string_view text) {
  HWND pane = Child(window, id);
  if (pane == nullptr) return;
  LRESULT left = SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0);
  if (left > kFreshEditorAbove && !IsNotifying(pane) &&
      wine_rich_edit::EmptyWithFreshEditor(pane)) {
    left = 0;
  }
  SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
  while (left > 0) {
    CHARRANGE slice{0, static_cast<LONG>(std::min<LRESULT>(left, kDeleteSlice))};
    SendMessageA(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&slice));
    SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    const LRESULT now = SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0);
    if (now >= left) break;  // the control would not delete: the stream-in below does
    left = now;
  }
  SendMessageA(pane, EM_EMPTYUNDOBUFFER, 0, 0);
  SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
  StreamSource source{text};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadStreamChunk;
  SendMessageA(pane, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  InvalidateRect(pane, nullptr, TRUE);
}

std::string PaneText(Window window, int id) {
  return ControlText(window, id);
}

void FocusControl(Window window, int id) {
  if (HWND control = Child(window, id)) SetFocus(control);
}

void ClearList(Window window, int id) {
  if (HWND list = Child(window, id)) SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

std::optional<std::size_t> AddListRow(Window window, int id, std::string_view text) {
  HWND list = Child(window, id);
  if (list == nullptr) return std::nullopt;
  const std::string copy(text);
  const auto row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str()));
  if (row < 0) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void SetListRowData(Window window, int id, std::size_t row, std::uintptr_t data) {
  if (HWND list = Child(window, id)) {
    SendMessageA(list, LB_SETITEMDATA, row, static_cast<LPARAM>(data));
  }
}

std::uintptr_t ListRowData(Window window, int id, std::size_t row) {
  HWND list = Child(window, id);
  if (list == nullptr) return 0;
  const auto data = SendMessageA(list, LB_GETITEMDATA, row, 0);
  return data == LB_ERR ? 0 : static_cast<std::uintptr_t>(data);
}

std::optional<std::size_t> SelectedListRow(Window window, int id) {
  HWND list = Child(window, id);
  if (list == nullptr) return std::nullopt;
  const auto row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (row < 0) return std::nullopt;
  return static_cast<std::size_t>(row);
}

}  // namespace platform
