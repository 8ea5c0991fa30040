// Drives and reads the running widget from inside its Wine session for scripts/bench.sh, one
// JSON object per line:
//   nimbrel_bench_probe counts            the widget's handle and GDI/USER object counts
//   nimbrel_bench_probe cycles KIND N [PAUSE_MS]
//                                         N cycles of one user action, KIND one of
//                                         menu, settings, about, refresh, slider, with an
//                                         optional pause after each
// The widget is found by its window; the actions go through the same messages a user's
// presses and keys produce, so the real handlers run, and every cycle waits for its effect.

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kWidgetClass[] = "Nimbrel.Window";
constexpr char kLabelClass[] = "Nimbrel.TransparentLabel";
constexpr char kPopupMenuClass[] = "#32768";
constexpr char kSettingsTitle[] = "\xCF\xB5\xCD\xB3\xC9\xE8\xD6\xC3";  // 系统设置
constexpr char kAboutTitle[] = "\xB9\xD8\xD3\xDA Nimbrel";             // 关于 Nimbrel
constexpr int kWidgetWidth = 258;
constexpr int kWidgetHeight = 194;
// WM_COMMAND ids of ConfigMenu's items: the first id plus the item's place in the menu.
constexpr WPARAM kManualRefreshCommand = 20001;
constexpr WPARAM kSystemSettingsCommand = 20008;
constexpr WPARAM kAboutCommand = 20009;
constexpr DWORD kStepTimeoutMs = 15000;
constexpr DWORD kPollMs = 1;
constexpr UINT kAnswerTimeoutMs = 15000;

struct WidgetWindows {
  HWND main = nullptr;
  HWND label = nullptr;
  DWORD pid = 0;
};

bool IsWidget(HWND window) {
  char name[64] = {};
  RECT rect;
  if (!GetClassNameA(window, name, sizeof name) || std::strcmp(name, kWidgetClass) != 0) {
    return false;
  }
  GetWindowRect(window, &rect);
  return rect.right - rect.left == kWidgetWidth && rect.bottom - rect.top == kWidgetHeight &&
         !(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION);
}

WidgetWindows FindWidget() {
  WidgetWindows found;
  for (HWND window = FindWindowExA(nullptr, nullptr, kWidgetClass, nullptr); window;
       window = FindWindowExA(nullptr, window, kWidgetClass, nullptr)) {
    if (!IsWidget(window)) continue;
    found.main = window;
    found.label = FindWindowExA(window, nullptr, kLabelClass, nullptr);
    GetWindowThreadProcessId(window, &found.pid);
    break;
  }
  return found;
}

HWND VisibleWindow(const char* className, const char* title) {
  const HWND window = FindWindowA(className, title);
  return window && IsWindowVisible(window) ? window : nullptr;
}

template <typename Probe>
bool WaitUntil(Probe probe) {
  const DWORD start = GetTickCount();
  while (!probe()) {
    if (GetTickCount() - start > kStepTimeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

// Waits for the widget to have handled everything posted to it so far.
bool Settle(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored) != 0;
}

bool OpenAndDismissMenu(const WidgetWindows& widget) {
  PostMessageA(widget.label, WM_RBUTTONDOWN, 0, MAKELPARAM(100, 100));
  PostMessageA(widget.label, WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
  HWND menu = nullptr;
  if (!WaitUntil([&] { return (menu = VisibleWindow(kPopupMenuClass, nullptr)) != nullptr; })) {
    return false;
  }
  // The menu's own loop reads the keys of its thread, whichever window they are posted to.
  PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  return WaitUntil([] { return VisibleWindow(kPopupMenuClass, nullptr) == nullptr; }) &&
         Settle(widget.main);
}

// Opens a modal window through its menu command and closes it as Esc or Alt+F4 would.
bool OpenAndCloseModal(const WidgetWindows& widget, WPARAM command, const char* title) {
  PostMessageA(widget.main, WM_COMMAND, command, 0);
  HWND modal = nullptr;
  if (!WaitUntil([&] { return (modal = VisibleWindow(kWidgetClass, title)) != nullptr; })) {
    return false;
  }
  PostMessageA(modal, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !IsWindowVisible(modal) && IsWindowEnabled(widget.main); }) &&
         Settle(widget.main);
}

bool Refresh(const WidgetWindows& widget) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(widget.main, WM_COMMAND, kManualRefreshCommand, 0, SMTO_NORMAL,
                             kAnswerTimeoutMs, &ignored) != 0;
}

// The slider moves by keys, alternately right and left, inside one open settings window.
bool MoveSlider(const WidgetWindows& widget, int cycles) {
  PostMessageA(widget.main, WM_COMMAND, kSystemSettingsCommand, 0);
  HWND settings = nullptr;
  if (!WaitUntil([&] { return (settings = VisibleWindow(kWidgetClass, kSettingsTitle)); })) {
    return false;
  }
  const HWND slider = FindWindowExA(settings, nullptr, TRACKBAR_CLASSA, nullptr);
  if (!slider) return false;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    const WPARAM key = cycle % 2 == 0 ? VK_RIGHT : VK_LEFT;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(slider, WM_KEYDOWN, key, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored)) {
      return false;
    }
  }
  PostMessageA(settings, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !IsWindowVisible(settings) && IsWindowEnabled(widget.main); }) &&
         Settle(widget.main);
}

int RunCycles(const std::string& kind, int cycles, DWORD pauseMs) {
  const WidgetWindows widget = FindWidget();
  if (!widget.main || !widget.label) {
    std::printf("{\"error\":\"no widget window\"}\n");
    return 1;
  }
  const DWORD start = GetTickCount();
  int done = 0;
  bool ok = true;
  if (kind == "slider") {
    ok = MoveSlider(widget, cycles);
    done = ok ? cycles : 0;
  } else {
    for (; done < cycles && ok; ++done) {
      if (kind == "menu") {
        ok = OpenAndDismissMenu(widget);
      } else if (kind == "settings") {
        ok = OpenAndCloseModal(widget, kSystemSettingsCommand, kSettingsTitle);
      } else if (kind == "about") {
        ok = OpenAndCloseModal(widget, kAboutCommand, kAboutTitle);
      } else if (kind == "refresh") {
        ok = Refresh(widget);
      } else {
        std::printf("{\"error\":\"unknown kind\"}\n");
        return 2;
      }
      if (pauseMs) Sleep(pauseMs);
    }
    if (!ok) --done;
  }
  std::printf("{\"kind\":\"%s\",\"cycles\":%d,\"ok\":%s,\"ms\":%lu}\n", kind.c_str(), done,
              ok ? "true" : "false", static_cast<unsigned long>(GetTickCount() - start));
  return ok ? 0 : 1;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM context) {
  auto* counted = reinterpret_cast<std::pair<DWORD, int>*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == counted->first) ++counted->second;
  return TRUE;
}

// A named callback: a lambda has no stdcall conversion on i686.
BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM context) {
  CountWindow(window, context);
  EnumChildWindows(window, CountWindow, context);
  return TRUE;
}

// Windows of the process, children included: the USER objects Wine can be asked about.
int CountWindows(DWORD pid) {
  std::pair<DWORD, int> counted{pid, 0};
  EnumWindows(CountWindowAndChildren, reinterpret_cast<LPARAM>(&counted));
  return static_cast<int>(counted.second);
}

int PrintCounts() {
  const WidgetWindows widget = FindWidget();
  if (!widget.main) {
    std::printf("{\"error\":\"no widget window\"}\n");
    return 1;
  }
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, widget.pid);
  if (!process) {
    std::printf("{\"error\":\"cannot open the widget process\"}\n");
    return 1;
  }
  DWORD handles = 0;
  const BOOL haveHandles = GetProcessHandleCount(process, &handles);
  // Wine answers GetGuiResources with 0 and ERROR_CALL_NOT_IMPLEMENTED: the error is printed
  // so that the table can say the count is a stub rather than a real zero.
  SetLastError(0);
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD gdiError = GetLastError();
  SetLastError(0);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  const DWORD userError = GetLastError();
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  const BOOL haveMemory = GetProcessMemoryInfo(process, &memory, sizeof memory);
  CloseHandle(process);
  std::printf(
      "{\"pid\":%lu,\"handles\":%ld,\"gdi\":%lu,\"gdi_error\":%lu,\"user\":%lu,"
      "\"user_error\":%lu,\"windows\":%d,\"working_set\":%ld,\"pagefile\":%ld}\n",
      static_cast<unsigned long>(widget.pid), haveHandles ? static_cast<long>(handles) : -1L,
      static_cast<unsigned long>(gdi), static_cast<unsigned long>(gdiError),
      static_cast<unsigned long>(user), static_cast<unsigned long>(userError),
      CountWindows(widget.pid), haveMemory ? static_cast<long>(memory.WorkingSetSize) : -1L,
      haveMemory ? static_cast<long>(memory.PagefileUsage) : -1L);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "counts") return PrintCounts();
  if (command == "cycles" && argc > 3) {
    const DWORD pauseMs = argc > 4 ? static_cast<DWORD>(std::atoi(argv[4])) : 0;
    return RunCycles(argv[2], std::atoi(argv[3]), pauseMs);
  }
  std::fprintf(stderr, "usage: %s counts | cycles KIND N [PAUSE_MS]\n", argv[0]);
  return 2;
}
