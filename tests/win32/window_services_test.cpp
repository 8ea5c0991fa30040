#include "platform/win32/window_services.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <vector>

namespace nimbrel::win32 {
namespace {

constexpr char kClassName[] = "NimbrelWindowServicesTest";

// Messages the test windows received, for the drag test.
std::vector<std::pair<UINT, WPARAM>>& Received() {
  static std::vector<std::pair<UINT, WPARAM>> messages;
  return messages;
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCLBUTTONDOWN || message == WM_SYSCOMMAND) {
    Received().emplace_back(message, wParam);
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClass(const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  ::RegisterClassA(&windowClass);
}

class TestWindow {
 public:
  TestWindow(DWORD style, DWORD exStyle, RECT bounds, HWND parent = nullptr,
             const char* className = kClassName, const char* title = "test")
      : window_(::CreateWindowExA(exStyle, className, title, style, bounds.left, bounds.top,
                                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                  nullptr, ::GetModuleHandleA(nullptr), nullptr)) {}
  ~TestWindow() {
    if (window_) ::DestroyWindow(window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

class WindowServicesTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterTestClass(kClassName, RecordingProc); }

  // A parent with a caption and a border, so that its client area is not at its corner.
  TestWindow parent_{WS_OVERLAPPEDWINDOW, 0, {50, 60, 450, 360}};
};

TEST_F(WindowServicesTest, TopLevelGeometryIsInScreenCoordinates) {
  const TestWindow popup(WS_POPUP, 0, {100, 120, 300, 270});
  ASSERT_TRUE(popup.get());
  EXPECT_EQ(WindowLeft(popup.get()), 100);
  EXPECT_EQ(WindowTop(popup.get()), 120);
  EXPECT_EQ(WindowWidth(popup.get()), 200);
  EXPECT_EQ(WindowHeight(popup.get()), 150);
}

TEST_F(WindowServicesTest, ChildGeometryIsInItsParentsClientCoordinates) {
  const TestWindow child(WS_CHILD | WS_VISIBLE, 0, {10, 20, 90, 60}, parent_.get());
  ASSERT_TRUE(child.get());
  EXPECT_EQ(WindowLeft(child.get()), 10);
  EXPECT_EQ(WindowTop(child.get()), 20);
  EXPECT_EQ(WindowWidth(child.get()), 80);
  EXPECT_EQ(WindowHeight(child.get()), 40);

  SetWindowLeft(child.get(), 30);
  EXPECT_EQ(WindowLeft(child.get()), 30);
  EXPECT_EQ(WindowTop(child.get()), 20);
  SetWindowTop(child.get(), 35);
  EXPECT_EQ(WindowLeft(child.get()), 30);
  EXPECT_EQ(WindowTop(child.get()), 35);
  EXPECT_EQ(WindowWidth(child.get()), 80);
  EXPECT_EQ(WindowHeight(child.get()), 40);
}

TEST_F(WindowServicesTest, OwnedPopupStaysInScreenCoordinates) {
  // GetParent gives a popup's owner; its position must still not be made owner-relative.
  const TestWindow popup(WS_POPUP, 0, {300, 310, 340, 330}, parent_.get());
  ASSERT_EQ(::GetParent(popup.get()), parent_.get());
  EXPECT_EQ(WindowLeft(popup.get()), 300);
  EXPECT_EQ(WindowTop(popup.get()), 310);
  SetWindowTop(popup.get(), 200);
  RECT screen{};
  ::GetWindowRect(popup.get(), &screen);
  EXPECT_EQ(screen.left, 300);
  EXPECT_EQ(screen.top, 200);
}

TEST_F(WindowServicesTest, PositionsAreClampedAndSizeKept) {
  struct Case {
    int requested;
    int expected;
  };
  const Case cases[] = {{1234, 1234},   {-50, -50},       {32627, 32627},   {32628, 32627},
                        {40000, 32627}, {-32627, -32627}, {-40000, -32627}, {-32628, -32627}};
  const TestWindow popup(WS_POPUP, 0, {0, 0, 64, 48});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.requested);
    SetWindowLeft(popup.get(), c.requested);
    SetWindowTop(popup.get(), c.requested);
    EXPECT_EQ(WindowLeft(popup.get()), c.expected);
    EXPECT_EQ(WindowTop(popup.get()), c.expected);
    EXPECT_EQ(WindowWidth(popup.get()), 64);
    EXPECT_EQ(WindowHeight(popup.get()), 48);
  }
}

TEST_F(WindowServicesTest, ExtendedStyleReadsBackWhatWasSet) {
  const TestWindow popup(WS_POPUP, WS_EX_TOOLWINDOW, {0, 0, 10, 10});
  EXPECT_EQ(GetExStyle(popup.get()), static_cast<DWORD>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(SetExStyle(popup.get(), WS_EX_APPWINDOW), static_cast<DWORD>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(GetExStyle(popup.get()), static_cast<DWORD>(WS_EX_APPWINDOW));
}

TEST_F(WindowServicesTest, TransparencyMakesTheExtendedStyleExactlyLayered) {
  const TestWindow popup(WS_POPUP, WS_EX_LAYERED | WS_EX_TRANSPARENT, {0, 0, 10, 10});
  ASSERT_EQ(GetExStyle(popup.get()), 0x80020u);
  EXPECT_NE(ApplyTransparency(popup.get(), 128), 0);
  EXPECT_EQ(GetExStyle(popup.get()), 0x80000u);
}

TEST_F(WindowServicesTest, TransparencyAlphaOutsideTheByteRangeIsOpaque) {
  struct Case {
    std::optional<int> alpha;
    BYTE expected;
  };
  const Case cases[] = {{0, 0},     {1, 1},    {128, 128},         {255, 255},
                        {256, 255}, {-1, 255}, {std::nullopt, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alpha.value_or(-999));
    const TestWindow popup(WS_POPUP, WS_EX_TOOLWINDOW, {0, 0, 10, 10});
    EXPECT_NE(ApplyTransparency(popup.get(), c.alpha), 0);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(popup.get(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, c.expected);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(GetExStyle(popup.get()), static_cast<DWORD>(WS_EX_LAYERED));
  }
}

TEST_F(WindowServicesTest, TopmostBandIsEnteredAndLeft) {
  const TestWindow popup(WS_POPUP, 0, {0, 0, 10, 10});
  SetTopmostBand(popup.get(), true);
  EXPECT_TRUE(GetExStyle(popup.get()) & WS_EX_TOPMOST);
  SetTopmostBand(popup.get(), false);
  EXPECT_FALSE(GetExStyle(popup.get()) & WS_EX_TOPMOST);
}

TEST_F(WindowServicesTest, TopmostBandDoesNotMoveOrSize) {
  const TestWindow popup(WS_POPUP, 0, {70, 80, 170, 130});
  SetTopmostBand(popup.get(), true);
  EXPECT_EQ(WindowLeft(popup.get()), 70);
  EXPECT_EQ(WindowTop(popup.get()), 80);
  EXPECT_EQ(WindowWidth(popup.get()), 100);
  EXPECT_EQ(WindowHeight(popup.get()), 50);
}

TEST_F(WindowServicesTest, DesktopHostIsTheProgramManagerWindow) {
  EXPECT_EQ(FindDesktopHost(), nullptr);
  constexpr char kProgman[] = "Progman";
  RegisterTestClass(kProgman, ::DefWindowProcA);
  const TestWindow otherTitle(WS_POPUP, 0, {0, 0, 10, 10}, nullptr, kProgman, "Other");
  EXPECT_EQ(FindDesktopHost(), nullptr);
  const TestWindow host(WS_POPUP, 0, {0, 0, 10, 10}, nullptr, kProgman, "Program Manager");
  ASSERT_TRUE(host.get());
  EXPECT_EQ(FindDesktopHost(), host.get());
}

TEST_F(WindowServicesTest, NewParentReadsBackAndStyleIsUntouched) {
  const TestWindow child(WS_CHILD, 0, {0, 0, 10, 10}, parent_.get());
  const TestWindow other(WS_OVERLAPPEDWINDOW, 0, {0, 0, 100, 100});
  const LONG style = ::GetWindowLongA(child.get(), GWL_STYLE);
  EXPECT_EQ(SetWindowParent(child.get(), other.get()), parent_.get());
  EXPECT_EQ(::GetParent(child.get()), other.get());
  EXPECT_EQ(::GetWindowLongA(child.get(), GWL_STYLE), style);
}

// Escape ends the move loop; posted ahead it is the loop's first message.
void CALLBACK EndMoveLoop(HWND window, UINT, UINT_PTR, DWORD) {
  ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(WindowServicesTest, DragStartsTheCaptionMoveOfTheWindowItself) {
  const TestWindow popup(WS_POPUP, 0, {0, 0, 50, 50});
  Received().clear();
  EndMoveLoop(popup.get(), 0, 0, 0);
  constexpr UINT kSafetyMilliseconds = 2000;
  const UINT_PTR timer = ::SetTimer(popup.get(), 1, kSafetyMilliseconds, EndMoveLoop);
  BeginWindowDrag(popup.get());
  ::KillTimer(popup.get(), timer);
  ASSERT_GE(Received().size(), 2u);
  EXPECT_EQ(Received()[0],
            std::make_pair(static_cast<UINT>(WM_NCLBUTTONDOWN), static_cast<WPARAM>(HTCAPTION)));
  EXPECT_EQ(Received()[1].first, static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(Received()[1].second & 0xFFF0, static_cast<WPARAM>(SC_MOVE));
}

TEST_F(WindowServicesTest, ScreenSizeIsTheSystemMetric) {
  const SIZE size = ScreenSize();
  EXPECT_EQ(size.cx, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(size.cy, ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GT(size.cx, 0);
}

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT bounds, LPARAM monitors) {
  reinterpret_cast<std::vector<RECT>*>(monitors)->push_back(*bounds);
  return TRUE;
}

// Every monitor Wine reports; a two-screen Xinerama display gives two.
TEST_F(WindowServicesTest, OverlapsAMonitorOnlyWhereOneExists) {
  std::vector<RECT> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  ASSERT_FALSE(monitors.empty());
  RECT virtualScreen{};
  for (const RECT& m : monitors) {
    ::UnionRect(&virtualScreen, &virtualScreen, &m);
    // A widget reaching into the monitor's bottom-right corner from beyond it is on it.
    EXPECT_TRUE(OverlapsAMonitor(m.right - 1, m.bottom - 1, 258, 194)) << m.left << "," << m.top;
    EXPECT_TRUE(OverlapsAMonitor(m.left - 257, m.top - 193, 258, 194));
  }
  EXPECT_FALSE(OverlapsAMonitor(virtualScreen.right, 0, 258, 194));
  EXPECT_FALSE(OverlapsAMonitor(0, virtualScreen.bottom, 258, 194));
  EXPECT_FALSE(OverlapsAMonitor(virtualScreen.left - 258, virtualScreen.top - 194, 258, 194));
  // Far edges beyond the coordinate range neither wrap round onto a monitor nor overflow.
  EXPECT_FALSE(OverlapsAMonitor(INT_MAX, INT_MAX, 258, 194));
  EXPECT_FALSE(OverlapsAMonitor(INT_MIN, INT_MIN, 258, 194));
  std::printf("monitors reported: %zu\n", monitors.size());
  if (monitors.size() < 2) return;
  // A place on a monitor other than the primary one.
  for (const RECT& m : monitors) {
    if (m.left == 0 && m.top == 0) continue;
    EXPECT_TRUE(OverlapsAMonitor(m.left + 10, m.top + 10, 258, 194));
  }
}

}  // namespace
}  // namespace nimbrel::win32
