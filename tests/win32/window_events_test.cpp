// What reaches the handlers: control notifications, presses, timers, menus and the window's
// own messages, and what the program's own changes and the gate keep from them.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/popup_menu.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/win32_desktop.h"
#include "tests/test_texts.h"
#include "tests/win32/window_test_support.h"

namespace nimbrel {
namespace {

using test::Hwnd;
using test::MakeControl;
using test::MakeWindow;

class WindowEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.CreateOwnerToolWindow()); }

  // A window holding `controls` whose every event of the listed kinds is recorded.
  void Open(std::vector<ControlDefinition> controls, EventBindings bindings,
            std::vector<MenuItemDefinition> menu = {}) {
    WindowDefinition definition = MakeWindow(300, 250, std::move(controls));
    definition.menu = std::move(menu);
    window_ = desktop_.CreateWindowFrom(definition, std::move(bindings));
    ASSERT_NE(window_, nullptr);
    hwnd_ = Hwnd(window_->WindowHandle());
  }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }

  win32::Win32Desktop desktop_;
  test::EventLog log_;
  std::shared_ptr<Window> window_;
  HWND hwnd_ = nullptr;
};

ControlDefinition CheckBox(ControlId id, Bounds bounds = {5, 5, 100, 20}) {
  ControlDefinition box = MakeControl(id, ControlKind::kCheckBox, bounds, "check");
  box.style = style::kAutoCheckBox;
  return box;
}

ControlDefinition Combo(ControlId id) {
  ControlDefinition combo = MakeControl(id, ControlKind::kComboBox, {5, 5, 150, 20});
  combo.style = style::kDropDown;
  combo.listHeight = 160;
  return combo;
}

ControlDefinition Slider(ControlId id) {
  ControlDefinition slider = MakeControl(id, ControlKind::kSlider, {5, 50, 150, 30});
  slider.slider = {0, 100, 30, 1, 10, 10};
  return slider;
}

// The keyboard state GetKeyState reads, for one press.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys) {
    ::GetKeyboardState(saved_);
    BYTE state[256];
    ::GetKeyboardState(state);
    for (const int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
  }
  ~HeldKeys() { ::SetKeyboardState(saved_); }

 private:
  BYTE saved_[256] = {};
};

TEST_F(WindowEventsTest, TransparentLabelOverASiblingTakesPressesAtThePoint) {
  // The label lies over a control the size of the window, as it lies over the web view.
  Open({MakeControl(1, ControlKind::kTransparentLabel, {40, 30, 120, 24}, "8"),
        MakeControl(2, ControlKind::kLabel, {0, 0, 300, 250})},
       {log_.Record(EventKind::kLeftPress, 1), log_.Record(EventKind::kRightPress, 1),
        log_.Record(EventKind::kLeftPress, 2)});
  window_->Show();
  POINT point{45, 35};
  EXPECT_EQ(::ChildWindowFromPoint(hwnd_, point), Item(1));
  ::ClientToScreen(hwnd_, &point);
  const HWND target = ::WindowFromPoint(point);
  ASSERT_EQ(target, Item(1));

  ::SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  ::SendMessageA(target, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6));
  ::SendMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(-3, -4));

  ASSERT_EQ(log_.events.size(), 2u);
  EXPECT_EQ(log_.events[0].kind, EventKind::kLeftPress);
  EXPECT_EQ(log_.events[0].source, 1);
  EXPECT_EQ(log_.events[0].x, 5);
  EXPECT_EQ(log_.events[0].y, 6);
  EXPECT_EQ(log_.events[0].window, window_.get());
  EXPECT_EQ(log_.events[1].kind, EventKind::kRightPress);
  EXPECT_EQ(log_.events[1].x, -3) << "coordinates are signed";
  EXPECT_EQ(log_.events[1].y, -4);
}

TEST_F(WindowEventsTest, PressCarriesTheHeldModifierKeys) {
  Open({MakeControl(1, ControlKind::kTransparentLabel, {0, 0, 100, 20})},
       {log_.Record(EventKind::kLeftPress, 1)});
  const struct {
    std::initializer_list<int> keys;
    ModifierKeys expected;  // control, shift, alt
  } cases[] = {{{}, {false, false, false}},
               {{VK_CONTROL}, {true, false, false}},
               {{VK_SHIFT}, {false, true, false}},
               {{VK_MENU}, {false, false, true}},
               {{VK_CONTROL, VK_MENU}, {true, false, true}},
               {{VK_CONTROL, VK_SHIFT, VK_MENU}, {true, true, true}}};
  for (const auto& keyCase : cases) {
    log_.events.clear();
    {
      HeldKeys held(keyCase.keys);
      ::SendMessageA(Item(1), WM_LBUTTONDOWN, 0, 0);
    }
    ASSERT_EQ(log_.events.size(), 1u);
    EXPECT_TRUE(log_.events[0].keys == keyCase.expected);
  }
}

TEST_F(WindowEventsTest, TransparentLabelPaintsItsTextAndNothingElse) {
  Open({MakeControl(1, ControlKind::kTransparentLabel, {0, 0, 120, 24}, "88")}, {});
  constexpr COLORREF kBelow = RGB(255, 0, 255);
  win32::UniqueDc canvas(::CreateCompatibleDC(nullptr));
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), 120, -24, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win32::UniqueBitmap surface(
      ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  const HGDIOBJ previous = ::SelectObject(canvas.get(), surface.get());
  win32::UniqueHandle<HBRUSH, win32::DeleteGdiObject> fill(::CreateSolidBrush(kBelow));
  const RECT all{0, 0, 120, 24};
  ::FillRect(canvas.get(), &all, fill.get());

  ::SendMessageA(Item(1), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.get()), PRF_CLIENT);

  // Black text blended over magenta never has any green; any background would.
  int inked = 0;
  int greenish = 0;
  int touchedOnTheRight = 0;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 120; ++x) {
      const COLORREF seen = ::GetPixel(canvas.get(), x, y);
      if (seen == kBelow) continue;
      ++inked;
      if (GetGValue(seen) > 16) ++greenish;
      if (x >= 60) ++touchedOnTheRight;
    }
  }
  ::SelectObject(canvas.get(), previous);
  EXPECT_GT(inked, 10) << "the text is drawn";
  EXPECT_EQ(greenish, 0) << "only black is drawn";
  EXPECT_EQ(touchedOnTheRight, 0) << "beyond the text nothing is painted over";
  EXPECT_EQ(::SendMessageA(Item(1), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.get()), 0), 1);
}

TEST_F(WindowEventsTest, NewLabelTextHasWhatLiesBelowPaintedAgain) {
  // The label erases nothing, so only a repaint of what lies below wipes the old text.
  Open({MakeControl(1, ControlKind::kTransparentLabel, {40, 30, 120, 24}, "21"),
        MakeControl(2, ControlKind::kLabel, {0, 0, 300, 250})},
       {});
  window_->Show();
  ::UpdateWindow(hwnd_);
  ::ValidateRect(Item(2), nullptr);
  ASSERT_FALSE(::GetUpdateRect(Item(2), nullptr, FALSE));

  window_->SetText(1, "22");
  RECT stale{};
  ASSERT_TRUE(::GetUpdateRect(Item(2), &stale, FALSE));
  EXPECT_LE(stale.left, 40);
  EXPECT_LE(stale.top, 30);
  EXPECT_GE(stale.right, 160);
  EXPECT_GE(stale.bottom, 54);
  EXPECT_EQ(window_->GetText(1), "22");
}

TEST_F(WindowEventsTest, CheckBoxClickArrivesAfterTheToggle) {
  bool checkedInHandler = false;
  Open({CheckBox(1), MakeControl(2, ControlKind::kPushButton, {5, 40, 80, 24}, "go")},
       {{EventKind::kClicked, 1,
         [&](const Event& event) {
           checkedInHandler = event.window->Checked(1);
           log_.events.push_back(event);
         }},
        log_.Record(EventKind::kClicked, 2)});

  ::SendMessageA(Item(1), BM_CLICK, 0, 0);
  ::SendMessageA(Item(2), BM_CLICK, 0, 0);

  ASSERT_EQ(log_.events.size(), 2u);
  EXPECT_EQ(log_.events[0].source, 1);
  EXPECT_TRUE(checkedInHandler);
  EXPECT_EQ(log_.events[1].source, 2);
}

TEST_F(WindowEventsTest, CheckedStateIsTheControlsOwn) {
  Open({CheckBox(1)}, {});
  window_->SetChecked(1, true);
  EXPECT_EQ(::SendMessageA(Item(1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(window_->Checked(1));
  ::SendMessageA(Item(1), BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_FALSE(window_->Checked(1));
}

TEST_F(WindowEventsTest, ProgramsOwnChangesRaiseNothing) {
  ControlDefinition timerless = Combo(3);
  Open({CheckBox(1), Slider(2), timerless},
       {log_.Record(EventKind::kClicked, 1), log_.Record(EventKind::kPositionChanged, 2),
        log_.Record(EventKind::kRowChosen, 3)});
  window_->SetChecked(1, true);
  window_->SetSliderPosition(2, 70);
  window_->AddListRow(3, "b");
  window_->AddListRow(3, "a");
  window_->SetText(3, "a");
  window_->ResetList(3);
  test::PumpFor(100);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(test::SliderPosition(*window_, 2), 70);
}

TEST_F(WindowEventsTest, ChosenRowArrivesOnceTheEditShowsIt) {
  Text seen;
  Open({Combo(1)}, {{EventKind::kRowChosen, 1, [&](const Event& event) {
                       seen = event.window->GetText(1);
                       log_.events.push_back(event);
                     }}});
  for (const std::string& row : {kBeijing, kShanghai, kGuangzhou}) {
    window_->AddListRow(1, row);
  }
  // The combo box tells its parent first and copies the row into its edit field afterwards.
  ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(1, CBN_SELENDOK), reinterpret_cast<LPARAM>(Item(1)));
  EXPECT_TRUE(log_.events.empty()) << "raised before the edit field could change";
  const LRESULT row = ::SendMessageA(Item(1), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(kShanghai.c_str()));
  ::SendMessageA(Item(1), CB_SETCURSEL, static_cast<WPARAM>(row), 0);

  ASSERT_TRUE(test::PumpUntil([&] { return !log_.events.empty(); }));
  EXPECT_EQ(log_.events[0].kind, EventKind::kRowChosen);
  EXPECT_EQ(seen, kShanghai);
}

TEST_F(WindowEventsTest, ComboListAndTextOfAnyLength) {
  Open({Combo(1)}, {});
  window_->AddListRow(1, "b");
  window_->AddListRow(1, "a");
  EXPECT_EQ(::SendMessageA(Item(1), CB_GETCOUNT, 0, 0), 2);
  const Text longText(600, 'x');
  window_->SetText(1, longText);
  EXPECT_EQ(window_->GetText(1), longText);
  window_->ResetList(1);
  EXPECT_EQ(::SendMessageA(Item(1), CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(window_->GetText(1), "");
}

TEST_F(WindowEventsTest, SliderReportsMovesButNotTheEndOfADrag) {
  Open({Slider(1)}, {log_.Record(EventKind::kPositionChanged, 1)});
  const HWND bar = Item(1);
  ::SendMessageA(bar, TBM_SETPOS, TRUE, 55);
  ::SendMessageA(hwnd_, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar));
  EXPECT_TRUE(log_.events.empty());
  for (const WORD code : {WORD{TB_THUMBTRACK}, WORD{TB_LINEDOWN}, WORD{TB_THUMBPOSITION}}) {
    ::SendMessageA(hwnd_, WM_HSCROLL, MAKEWPARAM(code, 55), reinterpret_cast<LPARAM>(bar));
  }
  ASSERT_EQ(log_.events.size(), 3u);
  for (const Event& event : log_.events) EXPECT_EQ(event.value, 55);
}

TEST_F(WindowEventsTest, SliderPositionIsClampedIntoTheRange) {
  Open({Slider(1)}, {});
  const struct { int asked, expected; } cases[] = {{40, 40}, {500, 100}, {-20, 0}, {100, 100}};
  for (const auto& position : cases) {
    window_->SetSliderPosition(1, position.asked);
    EXPECT_EQ(test::SliderPosition(*window_, 1), position.expected) << position.asked;
    EXPECT_EQ(::SendMessageA(Item(1), TBM_GETPOS, 0, 0), position.expected);
  }
}

TEST_F(WindowEventsTest, TimerTicksOnlyWhileEnabled) {
  ControlDefinition timer = MakeControl(4, ControlKind::kTimer, {});
  timer.timerPeriodMs = 20;
  Open({timer}, {log_.Record(EventKind::kTick, 4)});

  ASSERT_TRUE(test::PumpUntil([&] { return log_.Count(EventKind::kTick) >= 2; }));
  EXPECT_EQ(log_.events[0].source, 4);
  window_->EnableTimer(4, false);
  log_.events.clear();
  test::PumpFor(200);
  EXPECT_EQ(log_.Count(EventKind::kTick), 0);
  // A tick already queued when the timer went off is not one either.
  ::PostMessageA(hwnd_, WM_TIMER, 4, 0);
  test::PumpFor(50);
  EXPECT_EQ(log_.Count(EventKind::kTick), 0);

  window_->EnableTimer(4, true);
  EXPECT_TRUE(test::PumpUntil([&] { return log_.Count(EventKind::kTick) >= 1; }));
}

TEST_F(WindowEventsTest, MenuCommandsAndTicks) {
  std::vector<MenuItemDefinition> menu = {
      {"root", 0, true, false}, {"one", 1, false, true}, {"two", 1, false, false}};
  Open({}, {log_.Record(EventKind::kMenuCommand, 2), log_.Record(EventKind::kMenuCommand, 1)},
       menu);
  EXPECT_TRUE(window_->MenuChecked(1));
  EXPECT_FALSE(window_->MenuChecked(2));
  window_->SetMenuChecked(2, true);
  window_->SetMenuChecked(1, false);
  EXPECT_TRUE(window_->MenuChecked(2));
  EXPECT_FALSE(window_->MenuChecked(1));
  EXPECT_FALSE(window_->MenuChecked(7));

  ::SendMessageA(hwnd_, WM_COMMAND, win32::kFirstMenuCommandId + 2, 0);
  ::SendMessageA(hwnd_, WM_COMMAND, win32::kFirstMenuCommandId + 3, 0);  // no such item
  ASSERT_EQ(log_.events.size(), 1u);
  EXPECT_EQ(log_.events[0].kind, EventKind::kMenuCommand);
  EXPECT_EQ(log_.events[0].source, 2);
}

// Picks the popup's first item as soon as the menu is up.
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND menu = ::FindWindowA("#32768", nullptr);
  if (!menu || !::IsWindowVisible(menu)) return;
  ::KillTimer(nullptr, timer);
  ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

// Whatever happens, the menu goes away within the patience.
void CALLBACK CancelMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  ::EndMenu();
}

TEST_F(WindowEventsTest, PopupMenuChoiceArrivesAsAMenuCommand) {
  std::vector<MenuItemDefinition> menu = {
      {"root", 0, true, false}, {"one", 1, false, false}, {"two", 1, false, false}};
  Open({}, {log_.Record(EventKind::kMenuCommand, 1), log_.Record(EventKind::kMenuCommand, 2)},
       menu);
  window_->Show();
  const UINT_PTR chooser = ::SetTimer(nullptr, 0, 50, ChooseFirstItem);
  const UINT_PTR canceller = ::SetTimer(nullptr, 0, test::kPatienceMs, CancelMenu);
  window_->PopupMenuAtCursor(0);
  ::KillTimer(nullptr, chooser);
  ::KillTimer(nullptr, canceller);
  ASSERT_TRUE(test::PumpUntil([&] { return !log_.events.empty(); }, 1000));
  EXPECT_EQ(log_.events[0].source, 1);

  log_.events.clear();
  window_->PopupMenuAtCursor(1);  // an item without children shows nothing
  test::PumpFor(50);
  EXPECT_TRUE(log_.events.empty());
}

TEST_F(WindowEventsTest, TrayCallbackRaisesTheKindOfClick) {
  Open({}, {log_.Record(EventKind::kTrayIcon)});
  const struct {
    UINT mouse;
    TrayIconKind expected;  // kNone: nothing raised
  } cases[] = {{WM_LBUTTONUP, TrayIconKind::kLeftClick},
               {WM_LBUTTONDBLCLK, TrayIconKind::kLeftDoubleClick},
               {WM_RBUTTONUP, TrayIconKind::kRightClick},
               {WM_MOUSEMOVE, TrayIconKind::kNone}};
  for (const auto& trayCase : cases) {
    log_.events.clear();
    ::SendMessageA(hwnd_, win32::kTrayCallbackMessage, win32::kTrayIconId, trayCase.mouse);
    if (trayCase.expected == TrayIconKind::kNone) {
      EXPECT_TRUE(log_.events.empty()) << trayCase.mouse;
    } else {
      ASSERT_EQ(log_.events.size(), 1u) << trayCase.mouse;
      EXPECT_EQ(log_.events[0].trayKind, trayCase.expected);
    }
  }
}

TEST_F(WindowEventsTest, SessionEndingOnlyWhenItReallyEnds) {
  Open({}, {log_.Record(EventKind::kSessionEnding)});
  ::SendMessageA(hwnd_, WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(log_.events.empty());
  ::SendMessageA(hwnd_, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(log_.Count(EventKind::kSessionEnding), 1);
}

TEST_F(WindowEventsTest, PrivateMessageArrivesAfterTheHandlerReturned) {
  bool handlerReturned = false;
  bool returnedWhenPrivateArrived = false;
  Open({MakeControl(1, ControlKind::kPushButton, {5, 5, 80, 24}, "go")},
       {{EventKind::kClicked, 1,
         [&](const Event& event) {
           event.window->PostPrivate();
           handlerReturned = true;
         }},
        {EventKind::kPrivate, kWindowItself, [&](const Event& event) {
           returnedWhenPrivateArrived = handlerReturned;
           log_.events.push_back(event);
         }}});
  ::SendMessageA(Item(1), BM_CLICK, 0, 0);
  ASSERT_TRUE(test::PumpUntil([&] { return !log_.events.empty(); }));
  EXPECT_TRUE(returnedWhenPrivateArrived);
}

TEST_F(WindowEventsTest, PrivateMessageToAWindowGoneMeanwhileIsDropped) {
  Open({}, {log_.Record(EventKind::kPrivate)});
  window_->PostPrivate();
  window_->Destroy();
  test::PumpFor(100);
  EXPECT_TRUE(log_.events.empty());
}

TEST_F(WindowEventsTest, GateStopsEveryHandler) {
  ControlDefinition timer = MakeControl(4, ControlKind::kTimer, {});
  timer.timerPeriodMs = 10;
  Open({CheckBox(1), timer}, {log_.Record(EventKind::kClicked, 1), log_.Record(EventKind::kPrivate),
                              log_.Record(EventKind::kTick, 4), log_.Record(EventKind::kDestroying),
                              log_.Record(EventKind::kSessionEnding)});
  desktop_.CloseHandlerGate();
  ::SendMessageA(Item(1), BM_CLICK, 0, 0);
  ::SendMessageA(hwnd_, WM_ENDSESSION, TRUE, 0);
  window_->PostPrivate();
  test::PumpFor(100);
  test::Close(*window_);
  EXPECT_FALSE(window_->IsOpen());
  EXPECT_TRUE(log_.events.empty());
}

TEST_F(WindowEventsTest, DestroyedWindowStaysSafeToHold) {
  Text textWhileDestroying;
  const Bytes icon = test::ReadFileBytes(test::SourcePath("resources/nimbrel.ico"));
  Open({CheckBox(1), Combo(2), Slider(3)},
       {{EventKind::kDestroying, kWindowItself, [&](const Event& event) {
           textWhileDestroying = event.window->GetText(1);
           log_.events.push_back(event);
         }}});
  window_->ShowTrayIcon(icon, "tip");
  const HWND old = hwnd_;
  window_->Destroy();
  window_->Destroy();

  EXPECT_EQ(log_.Count(EventKind::kDestroying), 1);
  EXPECT_EQ(textWhileDestroying, "check");
  EXPECT_FALSE(::IsWindow(old));
  EXPECT_FALSE(window_->IsOpen());
  EXPECT_EQ(window_->WindowHandle(), 0u);
  EXPECT_FALSE(window_->HasTrayIcon());
  EXPECT_EQ(window_->GetText(1), "");
  EXPECT_FALSE(window_->Checked(1));
  EXPECT_EQ(test::SliderPosition(*window_, 3), 0);
  EXPECT_EQ(window_->GetWindowLeft(), 0);
  EXPECT_EQ(window_->GetWindowWidth(), 0);
  EXPECT_FALSE(test::IsEnabled(*window_));
  // None of these may reach a window that is gone.
  window_->SetText(1, "x");
  window_->SetChecked(1, true);
  window_->AddListRow(2, "x");
  window_->EnableTimer(4, true);
  window_->SetTopmost(true);
  window_->PostPrivate();
  window_->Show();
  test::Close(*window_);
  window_->RunModal();
  window_->PopupMenuAtCursor(0);
  test::PumpFor(20);
  EXPECT_EQ(log_.Count(EventKind::kDestroying), 1);
}

TEST_F(WindowEventsTest, WindowsOwnTextIsItsCaption) {
  Open({}, {});
  window_->SetText(kWindowItself, kWeatherCaption);
  char caption[16] = {};
  ::GetWindowTextA(hwnd_, caption, sizeof(caption));
  EXPECT_STREQ(caption, kWeatherCaption.c_str());
  EXPECT_EQ(window_->GetText(kWindowItself), kWeatherCaption);
}

TEST_F(WindowEventsTest, RestoreOrActivateBringsAMinimisedWindowBack) {
  Open({}, {});
  window_->Show();
  ::ShowWindow(hwnd_, SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(hwnd_));
  window_->RestoreOrActivate();
  EXPECT_FALSE(::IsIconic(hwnd_));
  window_->RestoreOrActivate();
  EXPECT_EQ(::GetActiveWindow(), hwnd_);
}

TEST_F(WindowEventsTest, EnabledStateAndGeometryAreTheWindows) {
  Open({}, {});
  test::SetEnabled(*window_, false);
  EXPECT_FALSE(::IsWindowEnabled(hwnd_));
  EXPECT_FALSE(test::IsEnabled(*window_));
  test::SetEnabled(*window_, true);
  EXPECT_TRUE(test::IsEnabled(*window_));

  window_->SetWindowLeft(100);
  window_->SetWindowTop(-20);
  RECT rect{};
  ::GetWindowRect(hwnd_, &rect);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, -20);
  EXPECT_EQ(window_->GetWindowLeft(), 100);
  EXPECT_EQ(window_->GetWindowTop(), -20);
  EXPECT_EQ(window_->GetWindowWidth(), 300);
  EXPECT_EQ(window_->GetWindowHeight(), 250);
}

}  // namespace
}  // namespace nimbrel
