// Reads the state of another process's windows for the end-to-end tests, one JSON object per
// line, because Python outside Wine cannot ask user32 anything itself:
//   nimbrel_inspector windows [PID]  top-level windows (and the children of "Progman" windows)
//   nimbrel_inspector title HEX      the windows whose title bytes are HEX
//   nimbrel_inspector children HWND  the child windows of HWND, with their control state
//   nimbrel_inspector menu           the popup menus open right now, item by item
//   nimbrel_inspector focus          the foreground window and its thread's focus and menu
//   nimbrel_inspector make-progman   a "Progman" window for the widget to embed itself into;
//                                    prints its handle, then lives until it is killed

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/unique_handles.h"

namespace {

using nimbrel::win32::UniqueRegion;
using nimbrel::win32::UniqueWindow;

constexpr char kDesktopHostClass[] = "Progman";
constexpr char kDesktopHostTitle[] = "Program Manager";
constexpr char kPopupMenuClass[] = "#32768";
constexpr int kTextCapacity = 1024;
// A window that does not answer within this time is reported without its text.
constexpr UINT kAnswerTimeoutMs = 2000;
// A menu handle of another process is not always readable; this says so instead of a count.
constexpr int kUnreadableMenu = -1;

// Builds one JSON object; values are appended in the order the caller gives them.
class JsonLine {
 public:
  JsonLine& Number(const char* key, long long value) { return Raw(key, std::to_string(value)); }
  JsonLine& Handle(const char* key, const void* handle) {
    return Raw(key, std::to_string(reinterpret_cast<std::uintptr_t>(handle)));
  }
  JsonLine& Flag(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
  JsonLine& Null(const char* key) { return Raw(key, "null"); }
  JsonLine& String(const char* key, const std::string& value) { return Raw(key, Quote(value)); }
  JsonLine& Pair(const char* key, long first, long second) {
    return Raw(key, "[" + std::to_string(first) + "," + std::to_string(second) + "]");
  }
  JsonLine& Rect(const char* key, const RECT& rect) {
    return Raw(key, "[" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                        std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "]");
  }
  JsonLine& Raw(const char* key, const std::string& json) {
    body_ += (body_.empty() ? "" : ",") + Quote(key) + ":" + json;
    return *this;
  }
  std::string Text() const { return "{" + body_ + "}"; }
  void Print() const {
    std::printf("%s\n", Text().c_str());
    std::fflush(stdout);
  }

 private:
  // Class names are ASCII; anything else is kept readable as its byte value.
  static std::string Quote(const std::string& value) {
    std::string quoted = "\"";
    for (unsigned char c : value) {
      char escaped[8];
      if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        quoted += escaped;
      } else {
        quoted += static_cast<char>(c);
      }
    }
    return quoted + "\"";
  }

  std::string body_;
};

// Texts are compared byte for byte by the tests, so they travel as hex, never decoded.
std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return bytes;
}

// GetWindowText does not ask another process's controls for their text; WM_GETTEXT does.
std::string WindowText(HWND window) {
  char text[kTextCapacity] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, kTextCapacity, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length)) {
    return std::string();
  }
  return std::string(text, length);
}

std::string ClassName(HWND window) {
  char name[kTextCapacity] = {};
  const int length = GetClassNameA(window, name, kTextCapacity);
  return std::string(name, length > 0 ? length : 0);
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

void AddRegion(JsonLine& line, HWND window) {
  UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
  const int type = GetWindowRgn(window, region.get());
  line.Number("region_type", type);
  RECT box = {};
  if (type == SIMPLEREGION || type == COMPLEXREGION) {
    GetRgnBox(region.get(), &box);
    line.Rect("region", box);
  } else {
    line.Null("region");
  }
}

void AddAlpha(JsonLine& line, HWND window, LONG_PTR exStyle) {
  BYTE alpha = 0;
  DWORD flags = 0;
  if ((exStyle & WS_EX_LAYERED) && GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) &&
      (flags & LWA_ALPHA)) {
    line.Number("alpha", alpha);
  } else {
    line.Null("alpha");
  }
}

void AddOwner(JsonLine& line, HWND window) {
  const HWND owner = GetWindow(window, GW_OWNER);
  line.Handle("owner", owner);
  if (owner) {
    line.Number("owner_exstyle", static_cast<DWORD>(GetWindowLongPtrA(owner, GWL_EXSTYLE)));
  } else {
    line.Null("owner_exstyle");
  }
}

void AddGeometry(JsonLine& line, HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  line.Rect("rect", rect)
      .Pair("client", client.right, client.bottom)
      .Pair("client_origin", origin.x, origin.y);
}

JsonLine DescribeWindow(HWND window) {
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  JsonLine line;
  line.Handle("hwnd", window)
      .Number("pid", ProcessOf(window))
      .String("class", ClassName(window))
      .String("title", Hex(WindowText(window)));
  AddGeometry(line, window);
  line.Number("style", static_cast<DWORD>(style))
      .Number("exstyle", static_cast<DWORD>(exStyle))
      .Flag("topmost", (exStyle & WS_EX_TOPMOST) != 0)
      .Handle("parent", GetParent(window))
      .Handle("container", GetAncestor(window, GA_PARENT));
  AddOwner(line, window);
  AddRegion(line, window);
  AddAlpha(line, window, exStyle);
  line.Flag("enabled", IsWindowEnabled(window) != FALSE)
      .Flag("visible", IsWindowVisible(window) != FALSE);
  return line;
}

// A named callback: on i686 a lambda does not convert to the stdcall WNDENUMPROC.
BOOL CALLBACK CollectWindow(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// An embedded widget is no longer top-level: it is a direct child of the desktop host.
std::vector<HWND> WindowsToList() {
  std::vector<HWND> windows = TopLevelWindows();
  const std::vector<HWND> topLevel = windows;
  for (HWND window : topLevel) {
    if (ClassName(window) != kDesktopHostClass) continue;
    for (HWND child : ChildWindows(window)) {
      if (GetAncestor(child, GA_PARENT) == window) windows.push_back(child);
    }
  }
  return windows;
}

int ListWindows(const char* pidText) {
  const bool filtered = pidText != nullptr;
  const DWORD pid = filtered ? std::strtoul(pidText, nullptr, 0) : 0;
  for (HWND window : WindowsToList()) {
    if (!filtered || ProcessOf(window) == pid) DescribeWindow(window).Print();
  }
  return 0;
}

int ListWindowsTitled(const char* titleHex) {
  const std::string title = FromHex(titleHex);
  for (HWND window : WindowsToList()) {
    if (WindowText(window) == title) DescribeWindow(window).Print();
  }
  return 0;
}

// The state a test reads back after driving a control with the mouse or the keyboard.
void AddControlState(JsonLine& line, HWND control) {
  const std::string name = ClassName(control);
  if (name == TRACKBAR_CLASSA) {
    line.Number("position", SendMessageA(control, TBM_GETPOS, 0, 0))
        .Number("range_min", SendMessageA(control, TBM_GETRANGEMIN, 0, 0))
        .Number("range_max", SendMessageA(control, TBM_GETRANGEMAX, 0, 0))
        .Number("line_size", SendMessageA(control, TBM_GETLINESIZE, 0, 0))
        .Number("page_size", SendMessageA(control, TBM_GETPAGESIZE, 0, 0));
  } else if (name == "ComboBox") {
    line.Number("selection", SendMessageA(control, CB_GETCURSEL, 0, 0))
        .Number("rows", SendMessageA(control, CB_GETCOUNT, 0, 0))
        .Flag("dropped", SendMessageA(control, CB_GETDROPPEDSTATE, 0, 0) != 0);
  } else if (name == "Button") {
    line.Number("checked", SendMessageA(control, BM_GETCHECK, 0, 0));
  }
}

int ListChildren(const char* windowText) {
  const HWND parent =
      reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::strtoull(windowText, nullptr, 0)));
  if (!IsWindow(parent)) return 1;
  for (HWND child : ChildWindows(parent)) {
    JsonLine line = DescribeWindow(child);
    line.Number("id", GetDlgCtrlID(child));
    AddControlState(line, child);
    line.Print();
  }
  return 0;
}

std::string MenuItemText(HMENU menu, int position) {
  char text[kTextCapacity] = {};
  const int length = GetMenuStringA(menu, position, text, kTextCapacity, MF_BYPOSITION);
  return std::string(text, length > 0 ? length : 0);
}

std::string MenuItems(HMENU menu, int count) {
  std::string items;
  for (int position = 0; position < count; ++position) {
    const UINT state = GetMenuState(menu, position, MF_BYPOSITION);
    JsonLine item;
    item.String("text", Hex(MenuItemText(menu, position)))
        .Flag("checked", (state & MF_CHECKED) != 0)
        .Flag("separator", (state & MF_SEPARATOR) != 0)
        .Flag("grayed", (state & (MF_GRAYED | MF_DISABLED)) != 0);
    items += (items.empty() ? "" : ",") + item.Text();
  }
  return "[" + items + "]";
}

int ListOpenMenus() {
  for (HWND window : TopLevelWindows()) {
    if (ClassName(window) != kPopupMenuClass || !IsWindowVisible(window)) continue;
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
    const int count = menu ? GetMenuItemCount(menu) : kUnreadableMenu;
    RECT rect = {};
    GetWindowRect(window, &rect);
    JsonLine line;
    line.Handle("hwnd", window).Number("pid", ProcessOf(window)).Rect("rect", rect);
    line.Handle("menu", menu).Number("count", count);
    line.Raw("items", count > 0 ? MenuItems(menu, count) : "[]");
    line.Print();
  }
  return 0;
}

// Where the keyboard goes: xdotool types into whatever Wine made the foreground.
int ReportFocus() {
  const HWND foreground = GetForegroundWindow();
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof thread;
  const DWORD threadId = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
  const bool known = threadId && GetGUIThreadInfo(threadId, &thread);
  JsonLine line;
  line.Handle("foreground", foreground)
      .Number("pid", foreground ? ProcessOf(foreground) : 0)
      .Handle("active", known ? thread.hwndActive : nullptr)
      .Handle("focus", known ? thread.hwndFocus : nullptr)
      .Handle("capture", known ? thread.hwndCapture : nullptr)
      .Handle("menu_owner", known ? thread.hwndMenuOwner : nullptr)
      .Flag("in_menu", known && (thread.flags & GUI_INMENUMODE))
      .Print();
  return 0;
}

LRESULT CALLBACK DesktopHostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

int RunDesktopHost() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DesktopHostProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kDesktopHostClass;
  if (!RegisterClassA(&windowClass)) return 1;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  // Like the shell's own: covers the screen, stays behind everything, owns no taskbar button.
  // Not WS_EX_NOACTIVATE: under Wine without a window manager an embedded widget would then
  // open its menu but never see the keys typed into it.
  UniqueWindow host(CreateWindowExA(WS_EX_TOOLWINDOW, kDesktopHostClass, kDesktopHostTitle,
                                    WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                                    nullptr, nullptr, windowClass.hInstance, nullptr));
  if (!host) return 1;
  SetWindowPos(host.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  DescribeWindow(host.get()).Print();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

int Usage() {
  std::fprintf(
      stderr,
      "usage: nimbrel_inspector windows [PID] | title HEX | children HWND | menu | focus | "
      "make-progman\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string mode = argv[1];
  if (mode == "windows") return ListWindows(argc > 2 ? argv[2] : nullptr);
  if (mode == "title" && argc > 2) return ListWindowsTitled(argv[2]);
  if (mode == "children" && argc > 2) return ListChildren(argv[2]);
  if (mode == "menu") return ListOpenMenus();
  if (mode == "focus") return ReportFocus();
  if (mode == "make-progman") return RunDesktopHost();
  return Usage();
}
