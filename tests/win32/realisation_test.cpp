// Windows realised from definitions, checked through what Win32 reports back about them.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/win32/picture_box.h"
#include "platform/win32/win32_desktop.h"
#include "tests/conformance/jpeg_fixtures.h"
#include "tests/test_texts.h"
#include "tests/win32/window_test_support.h"

namespace nimbrel {
namespace {

using test::ClassOf;
using test::ExStyleOf;
using test::Hwnd;
using test::MakeControl;
using test::MakeWindow;
using test::StyleOf;

constexpr DWORD kBareStyle = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr int kMainWidth = 258;
constexpr int kMainHeight = 194;

class RealisationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.CreateOwnerToolWindow()); }

  std::shared_ptr<Window> Create(const WindowDefinition& definition, EventBindings bindings = {}) {
    auto window = desktop_.CreateWindowFrom(definition, std::move(bindings));
    EXPECT_NE(window, nullptr);
    return window;
  }

  win32::Win32Desktop desktop_;
};

TEST_F(RealisationTest, BareFrameHasExactlyTheDefinitionsStyleCentredAndOwned) {
  WindowDefinition definition = MakeWindow(kMainWidth, kMainHeight);
  const auto window = Create(definition);
  const HWND hwnd = Hwnd(window->WindowHandle());

  EXPECT_EQ(static_cast<DWORD>(StyleOf(hwnd)), kBareStyle);
  EXPECT_EQ(ExStyleOf(hwnd), 0);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  window->Show();
  EXPECT_EQ(static_cast<DWORD>(StyleOf(hwnd)), kBareStyle | WS_VISIBLE);

  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXSCREEN) - kMainWidth) / 2);
  EXPECT_EQ(rect.top, (::GetSystemMetrics(SM_CYSCREEN) - kMainHeight) / 2);
  EXPECT_EQ(rect.right - rect.left, kMainWidth);
  EXPECT_EQ(rect.bottom - rect.top, kMainHeight);

  const HWND owner = ::GetWindow(hwnd, GW_OWNER);
  EXPECT_EQ(owner, desktop_.ToolWindow());
  EXPECT_EQ(ExStyleOf(owner) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_EQ(StyleOf(owner) & WS_VISIBLE, 0);
}

TEST_F(RealisationTest, SmallWindowsKeepTheirExactSize) {
  // Smaller than what a captioned window may be; neither frame has a resizing border.
  for (const Frame frame : {Frame::kNone, Frame::kFixedDialog}) {
    WindowDefinition definition = MakeWindow(60, 20);
    definition.frame = frame;
    const auto window = Create(definition);
    RECT rect{};
    ::GetWindowRect(Hwnd(window->WindowHandle()), &rect);
    EXPECT_EQ(rect.right - rect.left, 60);
    EXPECT_EQ(rect.bottom - rect.top, 20);
    EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXSCREEN) - 60) / 2);
  }
}

TEST_F(RealisationTest, FixedDialogHasACaptionAndACloseBoxOnly) {
  WindowDefinition definition = MakeWindow(300, 200);
  definition.frame = Frame::kFixedDialog;
  definition.caption = kSetupCaption;
  const auto window = Create(definition);
  const HWND hwnd = Hwnd(window->WindowHandle());

  const DWORD style = static_cast<DWORD>(StyleOf(hwnd));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD), 0u);
  EXPECT_EQ(style & kBareStyle, kBareStyle);
  char caption[32] = {};
  ::GetWindowTextA(hwnd, caption, sizeof(caption));
  EXPECT_EQ(Text(caption), kSetupCaption);
}

TEST_F(RealisationTest, BackgroundIsButtonFaceOnlyWhenAskedFor) {
  for (const bool buttonFace : {true, false}) {
    WindowDefinition definition = MakeWindow(100, 100);
    definition.buttonFaceBackground = buttonFace;
    const auto window = Create(definition);
    const auto brush = ::GetClassLongPtrA(Hwnd(window->WindowHandle()), GCLP_HBRBACKGROUND);
    EXPECT_EQ(brush, buttonFace ? COLOR_BTNFACE + 1 : 0) << "button face " << buttonFace;
  }
}

TEST_F(RealisationTest, RoundedCornersGiveTheWindowARegionOfItsSize) {
  WindowDefinition definition = MakeWindow(kMainWidth, kMainHeight);
  definition.cornerEllipse = 20;
  const auto rounded = Create(definition);
  win32::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(Hwnd(rounded->WindowHandle()), region.get()), ERROR);
  const win32::UniqueRegion expected(::CreateRoundRectRgn(0, 0, kMainWidth, kMainHeight, 20, 20));
  // Same pixels (EqualRgn also compares how the two are cut into rectangles).
  win32::UniqueRegion difference(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::CombineRgn(difference.get(), region.get(), expected.get(), RGN_XOR), NULLREGION);
  RECT box{};
  ::GetRgnBox(region.get(), &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  // A round-rectangle region leaves out the last column and row of its rectangle.
  EXPECT_EQ(box.right, kMainWidth - 1);
  EXPECT_EQ(box.bottom, kMainHeight - 1);
  EXPECT_FALSE(::PtInRegion(region.get(), 0, 0)) << "the corner is cut off";

  definition.cornerEllipse = 0;
  const auto square = Create(definition);
  EXPECT_EQ(::GetWindowRgn(Hwnd(square->WindowHandle()), region.get()), ERROR);
}

TEST_F(RealisationTest, IconImageGivesBothWindowIconsForTheWindowsLife) {
  const Bytes icon = test::ReadFileBytes(test::SourcePath("resources/nimbrel.ico"));
  ASSERT_FALSE(icon.empty());
  WindowDefinition definition = MakeWindow(100, 100);
  definition.iconImage = &icon;
  const auto window = Create(definition);
  const HWND hwnd = Hwnd(window->WindowHandle());

  const auto big = reinterpret_cast<HICON>(::SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0));
  const auto small = reinterpret_cast<HICON>(::SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(big, &info));
  win32::UniqueBitmap colour(info.hbmColor);
  win32::UniqueBitmap mask(info.hbmMask);

  window->Destroy();
  ICONINFO after{};
  EXPECT_FALSE(::GetIconInfo(big, &after)) << "the icon outlived its window";
}

TEST_F(RealisationTest, ControlsStackInDefinitionOrderFirstOnTop) {
  WindowDefinition definition = MakeWindow(300, 300);
  definition.controls = {
      MakeControl(7, ControlKind::kTransparentLabel, {0, 0, 50, 20}, "a"),
      MakeControl(3, ControlKind::kLabel, {0, 0, 60, 20}, "b"),
      MakeControl(9, ControlKind::kTimer, {}),
      MakeControl(4, ControlKind::kCheckBox, {0, 0, 70, 20}, "c"),
      MakeControl(12, ControlKind::kPictureBox, {0, 0, 20, 20}),
      MakeControl(5, ControlKind::kComboBox, {0, 0, 80, 20}),
      MakeControl(2, ControlKind::kSlider, {0, 0, 90, 20}),
  };
  definition.controls[2].timerPeriodMs = 1000;
  const auto window = Create(definition);

  std::vector<int> stack;
  for (HWND child = ::GetWindow(Hwnd(window->WindowHandle()), GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    stack.push_back(::GetDlgCtrlID(child));
  }
  EXPECT_EQ(stack, (std::vector<int>{7, 3, 4, 12, 5, 2}));
}

TEST_F(RealisationTest, ControlInAGroupFrameIsPlacedFromTheFramesCorner) {
  // The frame may come before or after what it holds; the stack order decides that.
  for (const bool frameFirst : {true, false}) {
    ControlDefinition frame = MakeControl(10, ControlKind::kGroupFrame, {12, 30, 200, 100}, "g");
    ControlDefinition box = MakeControl(11, ControlKind::kCheckBox, {8, 16, 90, 20}, "c");
    box.container = 10;
    WindowDefinition definition = MakeWindow(300, 300);
    definition.controls = frameFirst ? std::vector{frame, box} : std::vector{box, frame};
    const auto window = Create(definition);

    const RECT placed = test::RectInParent(::GetDlgItem(Hwnd(window->WindowHandle()), 11));
    EXPECT_EQ(placed.left, 20) << "frame first " << frameFirst;
    EXPECT_EQ(placed.top, 46) << "frame first " << frameFirst;
    EXPECT_EQ(placed.right - placed.left, 90);
    const RECT frameRect = test::RectInParent(::GetDlgItem(Hwnd(window->WindowHandle()), 10));
    EXPECT_EQ(frameRect.left, 12);
    EXPECT_EQ(frameRect.top, 30);
  }
}

struct KindCase {
  ControlKind kind;
  DWORD definitionStyle;
  bool tabStop;
  const char* className;
  DWORD styleBits;    // must all be set
  DWORD absentBits;   // must all be clear
  DWORD exStyleBits;  // must all be set
};

TEST_F(RealisationTest, EachKindIsTheRightClassWithItsStyles) {
  const KindCase cases[] = {
      {ControlKind::kTransparentLabel, 0, false, "Nimbrel.TransparentLabel",
       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, WS_TABSTOP, WS_EX_TRANSPARENT},
      {ControlKind::kLabel, style::kBorder, false, "Static", WS_CHILD | WS_VISIBLE | WS_BORDER,
       WS_TABSTOP, 0},
      {ControlKind::kCheckBox, style::kAutoCheckBox | style::kButtonMultiLine, true, "Button",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, 0, 0},
      {ControlKind::kPushButton, style::kButtonCenter | style::kButtonVCenter, true, "Button",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CENTER | BS_VCENTER, BS_GROUPBOX, 0},
      {ControlKind::kGroupFrame, 0, false, "Button", WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
       WS_TABSTOP, 0},
      {ControlKind::kComboBox, style::kDropDown | style::kSort, true, "ComboBox",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN | CBS_SORT, 0, 0},
      {ControlKind::kSlider, 0, true, "msctls_trackbar32",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS | TBS_BOTTOM, TBS_VERT, 0},
      {ControlKind::kPictureBox, 0, false, "Nimbrel.PictureBox", WS_CHILD | WS_VISIBLE,
       WS_BORDER | WS_TABSTOP, 0},
  };
  for (const KindCase& kindCase : cases) {
    ControlDefinition control = MakeControl(1, kindCase.kind, {5, 5, 100, 24}, "x");
    control.style = kindCase.definitionStyle;
    control.tabStop = kindCase.tabStop;
    const auto window = Create(MakeWindow(200, 200, {control}));
    const HWND child = ::GetDlgItem(Hwnd(window->WindowHandle()), 1);
    ASSERT_NE(child, nullptr) << kindCase.className;
    const auto style = static_cast<DWORD>(StyleOf(child));
    EXPECT_STRCASEEQ(ClassOf(child).c_str(), kindCase.className);
    EXPECT_EQ(style & kindCase.styleBits, kindCase.styleBits) << kindCase.className;
    EXPECT_EQ(style & kindCase.absentBits, 0u) << kindCase.className;
    EXPECT_EQ(static_cast<DWORD>(ExStyleOf(child)) & kindCase.exStyleBits, kindCase.exStyleBits)
        << kindCase.className;
  }
}

TEST_F(RealisationTest, HiddenControlIsCreatedWithoutVisibleStyle) {
  ControlDefinition control = MakeControl(1, ControlKind::kLabel, {5, 5, 100, 24}, "x");
  control.visible = false;
  const auto window = Create(MakeWindow(200, 200, {control}));
  EXPECT_EQ(StyleOf(::GetDlgItem(Hwnd(window->WindowHandle()), 1)) & WS_VISIBLE, 0);
}

TEST_F(RealisationTest, TransparentLabelTakesDoubleClicks) {
  const auto window = Create(
      MakeWindow(200, 200, {MakeControl(1, ControlKind::kTransparentLabel, {0, 0, 50, 20})}));
  const HWND label = ::GetDlgItem(Hwnd(window->WindowHandle()), 1);
  const auto classStyle = static_cast<UINT>(::GetClassLongA(label, GCL_STYLE));
  EXPECT_EQ(classStyle & CS_DBLCLKS, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(::GetClassLongPtrA(label, GCLP_HBRBACKGROUND), 0);
}

TEST_F(RealisationTest, ComboListOpensToItsListHeightWithRowsOnePixelTaller) {
  ControlDefinition combo = MakeControl(1, ControlKind::kComboBox, {5, 5, 120, 20});
  combo.style = style::kDropDown;
  combo.listHeight = 160;
  combo.extraRowHeight = 1;
  ControlDefinition plain = combo;
  plain.id = 2;
  plain.bounds.top = 40;
  plain.extraRowHeight = 0;
  const auto window = Create(MakeWindow(200, 250, {combo, plain}));
  const HWND hwnd = Hwnd(window->WindowHandle());

  const LRESULT standard = ::SendMessageA(::GetDlgItem(hwnd, 2), CB_GETITEMHEIGHT, 0, 0);
  ASSERT_GT(standard, 0);
  EXPECT_EQ(::SendMessageA(::GetDlgItem(hwnd, 1), CB_GETITEMHEIGHT, 0, 0), standard + 1);

  // Wine and Windows report the opened size differently; a combo box made here with the
  // same height and font must report it the same way.
  const HWND reference = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 5, 80, 120,
                                           160, hwnd, nullptr, nullptr, nullptr);
  ::SendMessageA(reference, WM_SETFONT, ::SendMessageA(::GetDlgItem(hwnd, 1), WM_GETFONT, 0, 0),
                 FALSE);
  RECT dropped{};
  RECT expected{};
  ::SendMessageA(::GetDlgItem(hwnd, 1), CB_GETDROPPEDCONTROLRECT, 0,
                 reinterpret_cast<LPARAM>(&dropped));
  ::SendMessageA(reference, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&expected));
  EXPECT_EQ(dropped.bottom - dropped.top, expected.bottom - expected.top);
  EXPECT_GT(dropped.bottom - dropped.top, 100);
}

// The program's manifest brings in the common controls' version 6, whose drop-down lists
// ignore the box's height; the test exe has none of its own, so it activates the same one.
class CommonControlsSix {
 public:
  CommonControlsSix() {
    const std::string manifest = NIMBREL_SOURCE_DIR "/resources/nimbrel.manifest";
    std::string windowsPath = "Z:" + manifest;
    for (char& c : windowsPath) c = c == '/' ? '\\' : c;
    ACTCTXA context{};
    context.cbSize = sizeof(context);
    context.lpSource = windowsPath.c_str();
    context_ = ::CreateActCtxA(&context);
    if (context_ != INVALID_HANDLE_VALUE) ::ActivateActCtx(context_, &cookie_);
  }
  ~CommonControlsSix() {
    if (context_ == INVALID_HANDLE_VALUE) return;
    ::DeactivateActCtx(0, cookie_);
    ::ReleaseActCtx(context_);
  }
  bool active() const { return context_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
};

TEST_F(RealisationTest, LongComboListDropsNoLowerThanItsListHeight) {
  const CommonControlsSix controls;
  ASSERT_TRUE(controls.active());
  ControlDefinition combo = MakeControl(1, ControlKind::kComboBox, {5, 5, 120, 20});
  combo.style = style::kDropDown | style::kSort;
  combo.listHeight = 160;
  combo.extraRowHeight = 1;
  const auto window = Create(MakeWindow(200, 250, {combo}));
  for (int row = 0; row < 40; ++row) window->AddListRow(1, "row " + std::to_string(row));
  const HWND box = ::GetDlgItem(Hwnd(window->WindowHandle()), 1);

  ::SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof(parts);
  ASSERT_TRUE(::GetComboBoxInfo(box, &parts));
  RECT closed{};
  RECT list{};
  ::GetWindowRect(box, &closed);
  ::GetWindowRect(parts.hwndList, &list);
  ::SendMessageA(box, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_LE(list.bottom - closed.top, 160);
  EXPECT_GT(list.bottom - list.top, 60);
}

TEST_F(RealisationTest, SliderTakesItsRangeStepsAndPosition) {
  ControlDefinition slider = MakeControl(1, ControlKind::kSlider, {5, 5, 150, 30});
  slider.slider = {10, 90, 40, 2, 20, 10};
  const auto window = Create(MakeWindow(200, 200, {slider}));
  const HWND bar = ::GetDlgItem(Hwnd(window->WindowHandle()), 1);

  EXPECT_EQ(::SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 10);
  EXPECT_EQ(::SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 90);
  EXPECT_EQ(::SendMessageA(bar, TBM_GETPOS, 0, 0), 40);
  EXPECT_EQ(::SendMessageA(bar, TBM_GETLINESIZE, 0, 0), 2);
  EXPECT_EQ(::SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 20);
  // Ticks every 10 from 10 to 90: both ends and seven between.
  EXPECT_EQ(::SendMessageA(bar, TBM_GETNUMTICS, 0, 0), 9);
}

TEST_F(RealisationTest, FontSpecGivesTheExactFontAndAnEmptyFaceTheStockOne) {
  ControlDefinition bold = MakeControl(1, ControlKind::kLabel, {5, 5, 100, 20}, "x");
  bold.font = {kSongTypeface, -12, FW_BOLD};
  ControlDefinition plain = MakeControl(2, ControlKind::kCheckBox, {5, 30, 100, 20}, "y");
  const auto window = Create(MakeWindow(200, 200, {bold, plain}));
  const HWND hwnd = Hwnd(window->WindowHandle());

  const auto font =
      reinterpret_cast<HFONT>(::SendMessageA(::GetDlgItem(hwnd, 1), WM_GETFONT, 0, 0));
  LOGFONTA logFont{};
  ASSERT_EQ(::GetObjectA(font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont)));
  EXPECT_EQ(logFont.lfHeight, -12);
  EXPECT_EQ(logFont.lfWidth, 0);
  EXPECT_EQ(logFont.lfWeight, FW_BOLD);
  EXPECT_FALSE(logFont.lfItalic);
  EXPECT_FALSE(logFont.lfUnderline);
  EXPECT_FALSE(logFont.lfStrikeOut);
  EXPECT_EQ(logFont.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(logFont.lfOutPrecision, OUT_DEFAULT_PRECIS);
  EXPECT_EQ(logFont.lfClipPrecision, CLIP_DEFAULT_PRECIS);
  EXPECT_EQ(logFont.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(logFont.lfPitchAndFamily, DEFAULT_PITCH);
  EXPECT_EQ(Text(logFont.lfFaceName), kSongTypeface);

  EXPECT_EQ(::SendMessageA(::GetDlgItem(hwnd, 2), WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(::GetStockObject(DEFAULT_GUI_FONT)));

  window->Destroy();
  EXPECT_EQ(::GetObjectType(font), 0u) << "the font outlived its window";
}

HHOOK creationHook = nullptr;

// While the second control is being made, the first one reports a click.
LRESULT CALLBACK ClickWhileCreating(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* creation = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (creation->hMenu == reinterpret_cast<HMENU>(2)) {
      const HWND first = ::GetDlgItem(creation->hwndParent, 1);
      ::SendMessageA(creation->hwndParent, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(first));
    }
  }
  return ::CallNextHookEx(creationHook, code, wParam, lParam);
}

TEST_F(RealisationTest, EventsDuringCreationAreDroppedAndCreatedComesBeforeShowing) {
  creationHook = ::SetWindowsHookExA(WH_CBT, ClickWhileCreating, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(creationHook, nullptr);

  test::EventLog log;
  bool visibleWhenCreated = true;
  Text labelWhenCreated;
  EventBindings bindings = {log.Record(EventKind::kClicked, 1)};
  bindings.push_back({EventKind::kCreated, kWindowItself, [&](const Event& event) {
                        visibleWhenCreated = ::IsWindowVisible(Hwnd(event.window->WindowHandle()));
                        event.window->SetText(2, "ready");
                        labelWhenCreated = event.window->GetText(2);
                        event.window->SetChecked(1, true);
                        log.events.push_back(event);
                      }});
  ControlDefinition box = MakeControl(1, ControlKind::kCheckBox, {5, 5, 100, 20}, "c");
  box.style = style::kAutoCheckBox;
  const auto window = Create(
      MakeWindow(200, 200, {box, MakeControl(2, ControlKind::kLabel, {5, 40, 100, 20})}), bindings);
  ::UnhookWindowsHookEx(creationHook);

  ASSERT_EQ(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].kind, EventKind::kCreated);
  EXPECT_EQ(log.events[0].window, window.get());
  EXPECT_FALSE(visibleWhenCreated);
  EXPECT_EQ(labelWhenCreated, "ready");
  EXPECT_TRUE(window->Checked(1));

  // After creation the same notification reaches its handler.
  ::SendMessageA(::GetDlgItem(Hwnd(window->WindowHandle()), 1), BM_CLICK, 0, 0);
  EXPECT_EQ(log.Count(EventKind::kClicked), 1);
}

TEST_F(RealisationTest, WebViewThatCannotBeMadeFailsTheWholeWindow) {
  // Without OLE on this thread the browser control cannot be created.
  const Text caption = "no browser here";
  WindowDefinition definition = MakeWindow(200, 200);
  definition.caption = caption;
  definition.controls = {MakeControl(1, ControlKind::kLabel, {0, 0, 50, 20}),
                         MakeControl(2, ControlKind::kWebView, {0, 0, 200, 200})};
  test::EventLog log;
  EXPECT_EQ(desktop_.CreateWindowFrom(
                definition, {log.Record(EventKind::kCreated), log.Record(EventKind::kDestroying)}),
            nullptr);
  EXPECT_EQ(::FindWindowA(nullptr, caption.c_str()), nullptr);
  EXPECT_TRUE(log.events.empty());
}

TEST_F(RealisationTest, DesktopHandsWindowHandlesThroughUnchanged) {
  const auto window = Create(MakeWindow(120, 80));
  const NativeHandle handle = window->WindowHandle();
  EXPECT_EQ(::IsWindow(Hwnd(handle)), TRUE);

  EXPECT_EQ(desktop_.ScreenSize().width, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(desktop_.ScreenSize().height, ::GetSystemMetrics(SM_CYSCREEN));
  desktop_.SetExStyle(handle, WS_EX_TOOLWINDOW);
  EXPECT_EQ(desktop_.GetExStyle(handle), static_cast<std::uint32_t>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(static_cast<DWORD>(ExStyleOf(Hwnd(handle))), static_cast<DWORD>(WS_EX_TOOLWINDOW));

  const auto host = Create(MakeWindow(300, 300));
  desktop_.SetWindowParent(handle, host->WindowHandle());
  EXPECT_EQ(::GetAncestor(Hwnd(handle), GA_PARENT), Hwnd(host->WindowHandle()));
  desktop_.SetWindowParent(handle, 0);
  EXPECT_EQ(::GetAncestor(Hwnd(handle), GA_PARENT), ::GetDesktopWindow());
  EXPECT_TRUE(window->IsOpen());
  EXPECT_EQ(desktop_.FindDesktopHost(), static_cast<NativeHandle>(0)) << "Wine has no Progman";
}

class PictureBoxTest : public RealisationTest {
 protected:
  HWND CreateBox(const Bytes* picture, Bounds bounds = {3, 4, 40, 40}) {
    ControlDefinition box = MakeControl(1, ControlKind::kPictureBox, bounds);
    box.picture = picture;
    window_ = Create(MakeWindow(400, 300, {box}));
    return window_ ? ::GetDlgItem(Hwnd(window_->WindowHandle()), 1) : nullptr;
  }

  std::shared_ptr<Window> window_;
};

TEST_F(PictureBoxTest, BannerDecodesToItsNaturalSize) {
  const Bytes banner = test::ReadFileBytes(test::SourcePath("resources/banner.jpg"));
  ASSERT_FALSE(banner.empty());
  const SIZE size = test::PictureSize(CreateBox(&banner));
  EXPECT_EQ(size.cx, 331);
  EXPECT_EQ(size.cy, 259);
}

TEST_F(PictureBoxTest, DamagedPictureLeavesTheBoxEmptyAndTheWindowOpen) {
  const Bytes banner = test::ReadFileBytes(test::SourcePath("resources/banner.jpg"));
  const Bytes truncated(banner.begin(), banner.begin() + banner.size() / 2);
  const Bytes garbage(500, 0x5A);
  const Bytes headerOnly(banner.begin(), banner.begin() + 20);
  for (const Bytes* damaged : {&truncated, &garbage, &headerOnly}) {
    const HWND box = CreateBox(damaged);
    ASSERT_NE(box, nullptr);
    const SIZE size = test::PictureSize(box);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    EXPECT_TRUE(window_->IsOpen());
  }
}

TEST_F(PictureBoxTest, DrawsThePictureUprightFromItsCornerAndNothingBeyond) {
  const HWND box = CreateBox(&test::kQuadrantJpeg);
  ASSERT_NE(box, nullptr);
  constexpr COLORREF kUntouched = RGB(255, 0, 255);
  win32::UniqueDc canvas(::CreateCompatibleDC(nullptr));
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -40, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win32::UniqueBitmap surface(
      ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  const HGDIOBJ previous = ::SelectObject(canvas.get(), surface.get());
  win32::UniqueHandle<HBRUSH, win32::DeleteGdiObject> fill(::CreateSolidBrush(kUntouched));
  const RECT all{0, 0, 40, 40};
  ::FillRect(canvas.get(), &all, fill.get());

  ::SendMessageA(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.get()), PRF_CLIENT);

  struct Probe {
    int x, y;
    COLORREF colour;
  };
  const Probe probes[] = {{3, 3, RGB(255, 0, 0)},  {12, 3, RGB(0, 255, 0)},
                          {3, 12, RGB(0, 0, 255)}, {12, 12, RGB(255, 255, 255)},
                          {20, 5, kUntouched},     {5, 20, kUntouched}};
  for (const Probe& probe : probes) {
    const COLORREF seen = ::GetPixel(canvas.get(), probe.x, probe.y);
    EXPECT_NEAR(GetRValue(seen), GetRValue(probe.colour), 8) << probe.x << "," << probe.y;
    EXPECT_NEAR(GetGValue(seen), GetGValue(probe.colour), 8) << probe.x << "," << probe.y;
    EXPECT_NEAR(GetBValue(seen), GetBValue(probe.colour), 8) << probe.x << "," << probe.y;
  }
  ::SelectObject(canvas.get(), previous);
}

}  // namespace
}  // namespace nimbrel
