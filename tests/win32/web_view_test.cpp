// The hosted browser, driven for real: what it asks of a loopback server is the evidence, since
// a Wine without Gecko navigates but never renders.

#include <winsock2.h>

#include "platform/win32/web_view.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "platform/win32/unique_handles.h"
#include "platform/win32/web_view_site.h"
#include "tests/win32/loopback_http_server.h"

namespace nimbrel::win32 {
namespace {

using test_support::LoopbackHttpServer;

constexpr char kParentClass[] = "NimbrelWebViewTestParent";
constexpr int kViewId = 1201;
constexpr int kBrowserWindowId = 0xE900;
constexpr RECT kViewBounds = {10, 20, 310, 220};
constexpr DWORD kContainerStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE;
// Navigation crosses threads inside the control; generous, as a loaded machine is slow.
constexpr auto kNavigationDeadline = std::chrono::seconds(15);
// How long a finished navigation is watched for requests it should not have made.
constexpr auto kSettleTime = std::chrono::milliseconds(700);
constexpr auto kPumpSlice = std::chrono::milliseconds(20);

const std::string kTestQuery = "/tb.q?cid=tb.tq&cin=&city=";
const std::string kCityGbk = "\xBB\xB4\xC4\xCF";           // 淮南 in code page 936
const std::string kCityUtf8 = "\xE6\xB7\xAE\xE5\x8D\x97";  // 淮南 in UTF-8

// The control hands its work to this thread's message loop, so waiting means pumping.
template <typename Condition>
bool PumpUntil(Condition done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(kPumpSlice.count()),
                              QS_ALLINPUT);
  }
}

void Pump(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

bool IsRequestFor(const std::string& line, const std::string& target) {
  const std::string prefix = "GET " + target + " HTTP/1.";
  return line.size() == prefix.size() + 1 && line.compare(0, prefix.size(), prefix) == 0;
}

bool IsHexDigit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::string PercentDecoded(const std::string& text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && IsHexDigit(text[i + 1]) &&
        IsHexDigit(text[i + 2])) {
      decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// Bytes outside printable ASCII as \xNN, so the log shows what the browser put on the wire.
std::string Escaped(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
    }
  }
  return shown;
}

RECT ClientRectOf(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return rect;
}

// Where a child's window lies in its parent's client area.
RECT RectInParent(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
  if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << actual.left << "," << actual.top << ")-(" << actual.right << "," << actual.bottom
         << ") instead of (" << expected.left << "," << expected.top << ")-(" << expected.right
         << "," << expected.bottom << ")";
}

class WebViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    oleReady_ = SUCCEEDED(OleInitialize(nullptr));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kParentClass;
    RegisterClassA(&windowClass);
  }
  static void TearDownTestSuite() {
    if (oleReady_) OleUninitialize();
  }

  void SetUp() override {
    ASSERT_TRUE(oleReady_);
    ASSERT_TRUE(server_.Running());
    // Hidden: Wine without a window manager waits two seconds for a shown window to go away.
    parent_ = UniqueWindow(CreateWindowExA(0, kParentClass, "web view test", WS_OVERLAPPEDWINDOW,
                                           50, 50, 500, 400, nullptr, nullptr,
                                           GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(parent_);
  }

  std::unique_ptr<WebView> CreateView(bool tabStop = false) {
    return WebView::Create(parent_.get(), kViewBounds, kViewId, tabStop);
  }

  std::string Address(const std::string& city) const {
    return server_.Origin() + kTestQuery + city;
  }

  std::size_t RequestsFor(const std::string& target) const {
    const std::vector<std::string> lines = server_.RequestLines();
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(),
                      [&](const std::string& line) { return IsRequestFor(line, target); }));
  }

  bool AwaitRequests(const std::string& target, std::size_t count) {
    return PumpUntil([&] { return RequestsFor(target) >= count; }, kNavigationDeadline);
  }

  std::string AllRequests() const {
    std::string all;
    for (const std::string& line : server_.RequestLines()) all += "\n  " + line;
    return all.empty() ? " none" : all;
  }

  static HWND BrowserWindowOf(const WebView& view) { return GetWindow(view.Container(), GW_CHILD); }

  static inline bool oleReady_ = false;
  LoopbackHttpServer server_;
  UniqueWindow parent_;
};

// The site is handed to a control that trusts COM's rules; a broken identity or count there
// shows up only as a crash or a leak inside the control.
TEST_F(WebViewTest, SiteAnswersItsInterfacesWithOneIdentityAndBalancedCounts) {
  const long before = WebViewSite::LiveCount();
  auto* site = new WebViewSite(parent_.get());
  EXPECT_EQ(WebViewSite::LiveCount(), before + 1);
  auto* client = static_cast<IOleClientSite*>(site);
  IUnknown* identity = nullptr;
  ASSERT_EQ(client->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);

  const struct {
    const IID& iid;
    bool isWindow;  // derives from IOleWindow, so GetWindow must name the container
  } kInterfaces[] = {{IID_IUnknown, false},           {IID_IOleClientSite, false},
                     {IID_IOleWindow, true},          {IID_IOleInPlaceSite, true},
                     {IID_IOleInPlaceUIWindow, true}, {IID_IOleInPlaceFrame, true}};
  for (const auto& entry : kInterfaces) {
    IUnknown* answer = nullptr;
    ASSERT_EQ(client->QueryInterface(entry.iid, reinterpret_cast<void**>(&answer)), S_OK);
    IUnknown* again = nullptr;
    ASSERT_EQ(answer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, identity);
    again->Release();
    if (entry.isWindow) {
      HWND window = nullptr;
      EXPECT_EQ(static_cast<IOleWindow*>(answer)->GetWindow(&window), S_OK);
      EXPECT_EQ(window, parent_.get());
    }
    answer->Release();
  }
  void* none = &none;
  EXPECT_EQ(client->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);

  IOleInPlaceSite* inPlace = static_cast<IOleInPlaceSite*>(site);
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = static_cast<IOleInPlaceFrame*>(site);  // must be cleared
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info = {};
  info.cb = sizeof(info);
  ASSERT_EQ(inPlace->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(document, nullptr);
  EXPECT_TRUE(SameRect(position, ClientRectOf(parent_.get())));
  EXPECT_TRUE(SameRect(clip, position));
  EXPECT_EQ(info.fMDIApp, FALSE);
  frame->Release();

  identity->Release();
  EXPECT_EQ(WebViewSite::LiveCount(), before + 1) << "the creator's reference is still held";
  EXPECT_EQ(client->Release(), 0u);
  EXPECT_EQ(WebViewSite::LiveCount(), before);
}

TEST_F(WebViewTest, ContainerIsAWhiteChildOfItsOwnClassAtTheGivenBounds) {
  for (const bool tabStop : {false, true}) {
    SCOPED_TRACE(tabStop ? "tab stop" : "no tab stop");
    std::unique_ptr<WebView> view = CreateView(tabStop);
    ASSERT_NE(view, nullptr);
    const HWND container = view->Container();
    ASSERT_TRUE(IsWindow(container));
    EXPECT_EQ(GetParent(container), parent_.get());
    EXPECT_EQ(GetDlgCtrlID(container), kViewId);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(container, GWL_STYLE)),
              kContainerStyle | (tabStop ? WS_TABSTOP : 0));
    EXPECT_EQ(GetWindowLongPtrA(container, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetWindowTextLengthA(container), 0);
    EXPECT_TRUE(SameRect(RectInParent(container), kViewBounds));

    char className[64] = {};
    GetClassNameA(container, className, sizeof(className));
    EXPECT_STRNE(className, kParentClass);
    EXPECT_STRNE(className, "Shell Embedding");
    EXPECT_EQ(GetClassLongPtrA(container, GCL_STYLE), CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(container, GCLP_HBRBACKGROUND)),
              GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(container, GCLP_HCURSOR)),
              LoadCursor(nullptr, IDC_ARROW));
  }
}

TEST_F(WebViewTest, BrowserWindowIsAVisibleChildFillingTheContainer) {
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  const HWND browser = BrowserWindowOf(*view);
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(GetWindow(browser, GW_HWNDNEXT), nullptr) << "the container holds one window only";
  EXPECT_TRUE(GetWindowLongPtrA(browser, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(GetWindowLongPtrA(browser, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(GetDlgCtrlID(browser), kBrowserWindowId);
  EXPECT_TRUE(SameRect(RectInParent(browser), ClientRectOf(view->Container())));
}

TEST_F(WebViewTest, ResizingTheContainerResizesTheBrowser) {
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  const HWND browser = BrowserWindowOf(*view);
  ASSERT_NE(browser, nullptr);
  for (const SIZE size : {SIZE{420, 150}, SIZE{120, 330}, SIZE{1, 1}}) {
    SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
    MoveWindow(view->Container(), 5, 5, size.cx, size.cy, TRUE);
    Pump(kPumpSlice);
    EXPECT_TRUE(SameRect(RectInParent(browser), RECT{0, 0, size.cx, size.cy}));
  }
}

TEST_F(WebViewTest, FocusOnTheContainerMovesToTheBrowser) {
  std::unique_ptr<WebView> view = CreateView(true);
  ASSERT_NE(view, nullptr);
  const HWND browser = BrowserWindowOf(*view);
  ASSERT_NE(browser, nullptr);
  SetFocus(view->Container());
  const HWND focus = GetFocus();
  EXPECT_TRUE(focus == browser || IsChild(browser, focus))
      << "focus on " << focus << ", browser " << browser;
}

TEST_F(WebViewTest, NavigatesToTheAddressAsGiven) {
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  view->SetAddress(Address("X"));
  EXPECT_TRUE(AwaitRequests(kTestQuery + "X", 1)) << "requests:" << AllRequests();
}

TEST_F(WebViewTest, EverySetAddressNavigatesAgainEvenToTheSameAddress) {
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  const std::string target = kTestQuery + "Y";
  view->SetAddress(Address("Y"));
  ASSERT_TRUE(AwaitRequests(target, 1)) << "requests:" << AllRequests();
  view->SetAddress(Address("Y"));
  ASSERT_TRUE(AwaitRequests(target, 2)) << "requests:" << AllRequests();
  Pump(kSettleTime);
  EXPECT_EQ(RequestsFor(target), 2u) << "requests:" << AllRequests();
}

TEST_F(WebViewTest, ChineseCityReachesTheServerAsTheSameName) {
  ASSERT_EQ(GetACP(), 936u) << "run with a zh_CN locale so that the texts are code page 936";
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  view->SetAddress(Address(kCityGbk));
  const std::string before = "GET " + kTestQuery;
  const auto arrived = [&] {
    for (const std::string& line : server_.RequestLines()) {
      if (line.compare(0, before.size(), before) == 0) return true;
    }
    return false;
  };
  ASSERT_TRUE(PumpUntil(arrived, kNavigationDeadline)) << "requests:" << AllRequests();
  std::string line;
  for (const std::string& candidate : server_.RequestLines()) {
    if (candidate.compare(0, before.size(), before) == 0) line = candidate;
  }
  const std::size_t end = line.rfind(" HTTP/1.");
  ASSERT_NE(end, std::string::npos) << line;
  const std::string sent = line.substr(before.size(), end - before.size());
  std::cout << "[ city sent ] " << Escaped(sent) << "\n";
  RecordProperty("city_as_sent", Escaped(sent));
  const std::string city = PercentDecoded(sent);
  EXPECT_TRUE(city == kCityUtf8 || city == kCityGbk) << "sent as " << sent;
}

TEST_F(WebViewTest, NullWhenTheContainerCannotBeCreated) {
  // A child window needs a parent: without one CreateWindowEx fails.
  EXPECT_EQ(WebView::Create(nullptr, kViewBounds, kViewId, false), nullptr);
  HWND gone = CreateWindowExA(0, kParentClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(gone);
  EXPECT_EQ(WebView::Create(gone, kViewBounds, kViewId, false), nullptr);
  EXPECT_EQ(WebViewSite::LiveCount(), 0);
}

TEST_F(WebViewTest, DestroyingTheParentReleasesTheBrowserAndItsSite) {
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  view->SetAddress(Address("Z"));
  ASSERT_TRUE(AwaitRequests(kTestQuery + "Z", 1)) << "requests:" << AllRequests();
  const HWND container = view->Container();
  const HWND browser = BrowserWindowOf(*view);
  EXPECT_GT(WebViewSite::LiveCount(), 0);

  parent_.reset();
  EXPECT_FALSE(IsWindow(container));
  EXPECT_FALSE(IsWindow(browser));
  EXPECT_EQ(view->Container(), nullptr);
  EXPECT_TRUE(PumpUntil([] { return WebViewSite::LiveCount() == 0; }, kNavigationDeadline))
      << WebViewSite::LiveCount() << " site(s) still referenced";

  // A view outliving its window neither navigates nor touches the destroyed window.
  view->SetAddress(Address("after"));
  Pump(kSettleTime);
  EXPECT_EQ(RequestsFor(kTestQuery + "after"), 0u);
  view.reset();
}

TEST_F(WebViewTest, DestroyingTheViewDestroysItsWindowAndReleasesTheSite) {
  std::unique_ptr<WebView> view = CreateView();
  ASSERT_NE(view, nullptr);
  const HWND container = view->Container();
  view.reset();
  EXPECT_FALSE(IsWindow(container));
  EXPECT_TRUE(IsWindow(parent_.get()));
  EXPECT_TRUE(PumpUntil([] { return WebViewSite::LiveCount() == 0; }, kNavigationDeadline))
      << WebViewSite::LiveCount() << " site(s) still referenced";
}

}  // namespace
}  // namespace nimbrel::win32
