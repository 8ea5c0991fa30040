// A window holding the real browser control, with a transparent label lying over it.

#include "tests/win32/loopback_http_server.h"

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/win32/win32_desktop.h"
#include "tests/win32/window_test_support.h"

namespace nimbrel {
namespace {

using test::Hwnd;
using test::MakeControl;
using test::MakeWindow;

constexpr ControlId kLabel = 1;
constexpr ControlId kBrowser = 2;
constexpr int kNavigationPatienceMs = 15000;

class WebViewWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { oleReady_ = SUCCEEDED(::OleInitialize(nullptr)); }
  static void TearDownTestSuite() {
    if (oleReady_) ::OleUninitialize();
  }

  void SetUp() override {
    ASSERT_TRUE(oleReady_);
    ASSERT_TRUE(server_.Running());
    ASSERT_TRUE(desktop_.CreateOwnerToolWindow());
    WindowDefinition definition =
        MakeWindow(258, 194,
                   {MakeControl(kLabel, ControlKind::kTransparentLabel, {10, 10, 120, 24}, "21"),
                    MakeControl(kBrowser, ControlKind::kWebView, {0, 0, 258, 194})});
    window_ = desktop_.CreateWindowFrom(definition, {log_.Record(EventKind::kLeftPress, kLabel)});
    ASSERT_NE(window_, nullptr);
    hwnd_ = Hwnd(window_->WindowHandle());
  }

  std::size_t RequestsFor(const std::string& path) const {
    const auto lines = server_.RequestLines();
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(),
                      [&](const auto& line) { return line.find("GET " + path + " ") == 0; }));
  }

  static inline bool oleReady_ = false;
  test_support::LoopbackHttpServer server_;
  win32::Win32Desktop desktop_;
  test::EventLog log_;
  std::shared_ptr<Window> window_;
  HWND hwnd_ = nullptr;
};

TEST_F(WebViewWindowTest, BrowserIsAChildBelowTheLabelThatStillTakesThePress) {
  const HWND container = ::GetDlgItem(hwnd_, kBrowser);
  ASSERT_NE(container, nullptr);
  EXPECT_EQ(::GetWindow(hwnd_, GW_CHILD), ::GetDlgItem(hwnd_, kLabel));
  EXPECT_EQ(::GetWindow(::GetDlgItem(hwnd_, kLabel), GW_HWNDNEXT), container);

  window_->Show();
  POINT overLabel{20, 15};
  ::ClientToScreen(hwnd_, &overLabel);
  const HWND hit = ::WindowFromPoint(overLabel);
  ASSERT_EQ(hit, ::GetDlgItem(hwnd_, kLabel));
  POINT besideLabel{200, 150};
  ::ClientToScreen(hwnd_, &besideLabel);
  const HWND below = ::WindowFromPoint(besideLabel);
  EXPECT_TRUE(below == container || ::IsChild(container, below));

  ::SendMessageA(hit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  ASSERT_EQ(log_.events.size(), 1u);
  EXPECT_EQ(log_.events[0].x, 10);
}

TEST_F(WebViewWindowTest, EveryAddressGivenIsNavigatedTo) {
  window_->SetWebAddress(kBrowser, server_.Origin() + "/weather?city=1");
  ASSERT_TRUE(
      test::PumpUntil([&] { return RequestsFor("/weather?city=1") >= 1; }, kNavigationPatienceMs));
  window_->SetWebAddress(kBrowser, server_.Origin() + "/weather?city=1");
  EXPECT_TRUE(
      test::PumpUntil([&] { return RequestsFor("/weather?city=1") >= 2; }, kNavigationPatienceMs));
  // The browser has no text of its own to give or take.
  window_->SetText(kBrowser, "x");
  EXPECT_EQ(window_->GetText(kBrowser), "");
}

TEST_F(WebViewWindowTest, BrowserGoesWithItsWindow) {
  const HWND container = ::GetDlgItem(hwnd_, kBrowser);
  window_->Destroy();
  EXPECT_FALSE(::IsWindow(container));
  window_->SetWebAddress(kBrowser, server_.Origin() + "/late");
  test::PumpFor(200);
  EXPECT_EQ(RequestsFor("/late"), 0u);
}

}  // namespace
}  // namespace nimbrel
