// The message loops: Esc and dialog keys, modal windows (also nested), the end of all
// windows and the topmost band the program's windows share.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/win32_desktop.h"
#include "tests/win32/window_test_support.h"

namespace nimbrel {
namespace {

using test::Hwnd;
using test::MakeControl;
using test::MakeWindow;

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.CreateOwnerToolWindow()); }

  std::shared_ptr<Window> Open(WindowDefinition definition, EventBindings bindings = {}) {
    auto window = desktop_.CreateWindowFrom(definition, std::move(bindings));
    EXPECT_NE(window, nullptr);
    return window;
  }

  // Runs the program's main loop over what is queued now, then lets it return.
  void RunQueuedMessages() {
    ::PostQuitMessage(0);
    desktop_.RunMessageLoop();
  }

  win32::Win32Desktop desktop_;
  test::EventLog log_;
};

WindowDefinition Dialog(std::vector<ControlDefinition> controls = {}) {
  WindowDefinition definition = MakeWindow(240, 160, std::move(controls));
  definition.frame = Frame::kFixedDialog;
  return definition;
}

void PostKey(HWND target, WPARAM key) {
  ::PostMessageA(target, WM_KEYDOWN, key, 1);
}

TEST_F(MessageLoopTest, EscapeInAControlClosesItsWindowOnly) {
  ControlDefinition box = MakeControl(1, ControlKind::kCheckBox, {5, 5, 80, 20}, "c");
  const auto other = Open(MakeWindow(100, 100));
  const auto window = Open(MakeWindow(200, 100, {box}), {log_.Record(EventKind::kDestroying)});
  const HWND hwnd = Hwnd(window->WindowHandle());

  PostKey(::GetDlgItem(hwnd, 1), VK_ESCAPE);
  RunQueuedMessages();

  EXPECT_EQ(log_.Count(EventKind::kDestroying), 1);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_FALSE(window->IsOpen());
  EXPECT_TRUE(other->IsOpen());
}

TEST_F(MessageLoopTest, EscapeInAWindowNotOfTheProgramIsLeftAlone) {
  const HWND stranger = ::CreateWindowExA(0, "STATIC", "stranger", WS_POPUP, 0, 0, 50, 50, nullptr,
                                          nullptr, nullptr, nullptr);
  win32::UniqueWindow owned(stranger);
  PostKey(stranger, VK_ESCAPE);
  RunQueuedMessages();
  EXPECT_TRUE(::IsWindow(stranger));
}

TEST_F(MessageLoopTest, EscapeFirstClosesADroppedComboList) {
  ControlDefinition combo = MakeControl(1, ControlKind::kComboBox, {5, 5, 120, 20});
  combo.style = style::kDropDown;
  combo.listHeight = 120;
  const auto window = Open(MakeWindow(200, 200, {combo}));
  window->Show();
  const HWND hwnd = Hwnd(window->WindowHandle());
  window->AddListRow(1, "a");
  window->AddListRow(1, "b");
  ::SetForegroundWindow(hwnd);
  ::SetFocus(::GetDlgItem(hwnd, 1));
  ::SendMessageA(::GetDlgItem(hwnd, 1), CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(::SendMessageA(::GetDlgItem(hwnd, 1), CB_GETDROPPEDSTATE, 0, 0));
  ASSERT_NE(::GetFocus(), nullptr);

  PostKey(::GetFocus(), VK_ESCAPE);
  RunQueuedMessages();
  EXPECT_TRUE(window->IsOpen()) << "Esc with the list open closed the window";

  ::SendMessageA(::GetDlgItem(hwnd, 1), CB_SHOWDROPDOWN, FALSE, 0);
  PostKey(::GetFocus(), VK_ESCAPE);
  RunQueuedMessages();
  EXPECT_FALSE(window->IsOpen());
}

TEST_F(MessageLoopTest, KeysChooseARowInADroppedListOfADialog) {
  for (const bool dialog : {true, false}) {
    ControlDefinition combo = MakeControl(1, ControlKind::kComboBox, {5, 5, 120, 20});
    combo.style = style::kDropDown | style::kSort;
    combo.listHeight = 120;
    combo.tabStop = true;
    test::EventLog log;
    Text chosen;
    WindowDefinition definition = dialog ? Dialog({combo}) : MakeWindow(200, 200, {combo});
    const auto window = Open(definition, {{EventKind::kRowChosen, 1, [&](const Event& event) {
                                             chosen = event.window->GetText(1);
                                             log.events.push_back(event);
                                           }}});
    window->Show();
    const HWND hwnd = Hwnd(window->WindowHandle());
    for (const char* row : {"a", "b", "c"}) window->AddListRow(1, row);
    window->SetText(1, "a");
    ::SetForegroundWindow(hwnd);
    ::SetFocus(::GetDlgItem(hwnd, 1));
    ::SendMessageA(::GetDlgItem(hwnd, 1), CB_SHOWDROPDOWN, TRUE, 0);
    PostKey(::GetFocus(), VK_DOWN);
    PostKey(::GetFocus(), VK_RETURN);
    RunQueuedMessages();
    EXPECT_EQ(log.events.size(), 1u) << "dialog " << dialog;
    EXPECT_EQ(chosen, "b") << "dialog " << dialog;
    EXPECT_FALSE(::SendMessageA(::GetDlgItem(hwnd, 1), CB_GETDROPPEDSTATE, 0, 0));
  }
}

TEST_F(MessageLoopTest, TabMovesThroughADialogAndEnterMeansNothing) {
  ControlDefinition first = MakeControl(IDOK, ControlKind::kPushButton, {5, 5, 80, 24}, "1");
  ControlDefinition second = MakeControl(7, ControlKind::kPushButton, {5, 40, 80, 24}, "2");
  first.tabStop = second.tabStop = true;
  const auto window = Open(Dialog({first, second}), {log_.Record(EventKind::kClicked, IDOK),
                                                     log_.Record(EventKind::kClicked, 7)});
  window->Show();
  const HWND hwnd = Hwnd(window->WindowHandle());
  ::SetForegroundWindow(hwnd);
  ::SetFocus(::GetDlgItem(hwnd, IDOK));
  ASSERT_EQ(::GetFocus(), ::GetDlgItem(hwnd, IDOK));

  PostKey(::GetFocus(), VK_RETURN);
  PostKey(::GetFocus(), VK_TAB);
  RunQueuedMessages();

  EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd, 7));
  EXPECT_TRUE(log_.events.empty()) << "Enter pressed a button";
  EXPECT_TRUE(window->IsOpen());
}

TEST_F(MessageLoopTest, EscapeClosesADialogToo) {
  ControlDefinition button = MakeControl(3, ControlKind::kPushButton, {5, 5, 80, 24}, "b");
  button.tabStop = true;
  const auto window = Open(Dialog({button}));
  PostKey(::GetDlgItem(Hwnd(window->WindowHandle()), 3), VK_ESCAPE);
  RunQueuedMessages();
  EXPECT_FALSE(window->IsOpen());
}

TEST_F(MessageLoopTest, CancelFromTheDialogManagerClosesTheDialog) {
  const auto window = Open(Dialog());
  ::SendMessageA(Hwnd(window->WindowHandle()), WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(window->IsOpen());
}

TEST_F(MessageLoopTest, ModalWindowDisablesTheOthersAndGivesBackWhatTheyWere) {
  const auto main = Open(MakeWindow(100, 100));
  const auto sleeping = Open(MakeWindow(100, 100));
  test::SetEnabled(*sleeping, false);
  const HWND mainHwnd = Hwnd(main->WindowHandle());
  bool mainEnabledDuring = true;
  bool modalEnabledDuring = false;
  bool mainEnabledWhileDestroying = false;
  const auto modal = Open(Dialog(), {{EventKind::kPrivate, kWindowItself,
                                      [&](const Event& event) {
                                        mainEnabledDuring = ::IsWindowEnabled(mainHwnd);
                                        modalEnabledDuring = test::IsEnabled(*event.window);
                                        test::Close(*event.window);
                                      }},
                                     {EventKind::kDestroying, kWindowItself, [&](const Event&) {
                                        mainEnabledWhileDestroying = ::IsWindowEnabled(mainHwnd);
                                      }}});
  modal->Show();
  test::DestroyLater safety(Hwnd(modal->WindowHandle()), test::kPatienceMs);
  modal->PostPrivate();
  modal->RunModal();

  EXPECT_FALSE(test::DestroyLater::Fired());
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_TRUE(modalEnabledDuring);
  EXPECT_TRUE(mainEnabledWhileDestroying) << "owners must be back before the modal goes";
  EXPECT_TRUE(test::IsEnabled(*main));
  EXPECT_FALSE(test::IsEnabled(*sleeping));
}

TEST_F(MessageLoopTest, EndingAModalWindowHandsActivationBackToTheMainWindow) {
  for (const bool byClose : {true, false}) {
    const auto main = Open(MakeWindow(100, 100));
    main->Show();
    const auto modal =
        Open(Dialog(), {{EventKind::kPrivate, kWindowItself, [byClose](const Event& event) {
                           if (byClose) {
                             test::Close(*event.window);
                           } else {
                             event.window->Destroy();
                           }
                         }}});
    modal->Show();
    ASSERT_EQ(::GetActiveWindow(), Hwnd(modal->WindowHandle()));
    test::DestroyLater safety(Hwnd(modal->WindowHandle()), test::kPatienceMs);
    modal->PostPrivate();
    modal->RunModal();
    EXPECT_FALSE(test::DestroyLater::Fired());
    EXPECT_EQ(::GetActiveWindow(), Hwnd(main->WindowHandle())) << "by close " << byClose;
    main->Destroy();
  }
}

TEST_F(MessageLoopTest, ModalOpenedFromAModalOneRestoresItsOpener) {
  const auto main = Open(MakeWindow(100, 100));
  const HWND mainHwnd = Hwnd(main->WindowHandle());
  std::shared_ptr<Window> second;
  struct {
    bool mainDuringSecond = true, firstDuringSecond = true;
    bool mainAfterSecond = true, firstAfterSecond = false;
  } seen;
  const auto first = Open(
      Dialog(), {{EventKind::kPrivate, kWindowItself, [&](const Event& event) {
                    Window& opener = *event.window;
                    second = desktop_.CreateWindowFrom(
                        Dialog(), {{EventKind::kPrivate, kWindowItself, [&](const Event& inner) {
                                      seen.mainDuringSecond = ::IsWindowEnabled(mainHwnd);
                                      seen.firstDuringSecond = test::IsEnabled(opener);
                                      test::Close(*inner.window);
                                    }}});
                    second->PostPrivate();
                    second->RunModal();
                    seen.mainAfterSecond = ::IsWindowEnabled(mainHwnd);
                    seen.firstAfterSecond = test::IsEnabled(opener);
                    test::Close(opener);
                  }}});
  test::DestroyLater safety(Hwnd(first->WindowHandle()), test::kPatienceMs);
  first->PostPrivate();
  first->RunModal();

  EXPECT_FALSE(test::DestroyLater::Fired());
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->IsOpen());
  EXPECT_FALSE(seen.mainDuringSecond);
  EXPECT_FALSE(seen.firstDuringSecond);
  EXPECT_FALSE(seen.mainAfterSecond) << "the first modal window still runs";
  EXPECT_TRUE(seen.firstAfterSecond);
  EXPECT_TRUE(test::IsEnabled(*main));
}

TEST_F(MessageLoopTest, ModalLoopEndsOnQuitAndLeavesItForTheOuterLoop) {
  const auto main = Open(MakeWindow(100, 100));
  const auto modal = Open(Dialog());
  test::DestroyLater safety(Hwnd(modal->WindowHandle()), test::kPatienceMs);
  ::PostQuitMessage(3);
  modal->RunModal();

  EXPECT_FALSE(test::DestroyLater::Fired());
  EXPECT_TRUE(test::IsEnabled(*main));
  MSG quit{};
  ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 3u);
}

TEST_F(MessageLoopTest, ModalLoopHandlesEscapeToo) {
  const auto main = Open(MakeWindow(100, 100));
  ControlDefinition box = MakeControl(1, ControlKind::kCheckBox, {5, 5, 80, 20}, "c");
  const auto modal = Open(Dialog({box}));
  test::DestroyLater safety(Hwnd(modal->WindowHandle()), test::kPatienceMs);
  PostKey(::GetDlgItem(Hwnd(modal->WindowHandle()), 1), VK_ESCAPE);
  modal->RunModal();
  EXPECT_FALSE(test::DestroyLater::Fired());
  EXPECT_TRUE(test::IsEnabled(*main));
}

TEST_F(MessageLoopTest, EndingEveryWindowFromTheMainWindowsOwnEnd) {
  const auto other = Open(MakeWindow(100, 100), {log_.Record(EventKind::kDestroying)});
  const HWND tool = desktop_.ToolWindow();
  int mainEnds = 0;
  const auto main =
      Open(MakeWindow(100, 100), {{EventKind::kDestroying, kWindowItself, [&](const Event&) {
                                     ++mainEnds;
                                     desktop_.DestroyAllWindows();
                                   }}});
  const HWND mainHwnd = Hwnd(main->WindowHandle());
  test::Close(*main);

  EXPECT_EQ(mainEnds, 1);
  EXPECT_EQ(log_.Count(EventKind::kDestroying), 1);
  EXPECT_FALSE(other->IsOpen());
  EXPECT_FALSE(main->IsOpen());
  EXPECT_FALSE(::IsWindow(mainHwnd));
  EXPECT_FALSE(::IsWindow(tool));
  desktop_.DestroyAllWindows();  // nothing left; must not fail
}

TEST_F(MessageLoopTest, LeavingTheTopmostBandPutsTheOtherPinnedWindowsBack) {
  WindowDefinition pinned = MakeWindow(100, 100);
  pinned.alwaysOnTop = true;
  WindowDefinition withButton = pinned;
  withButton.showInTaskbar = true;
  const auto first = Open(pinned);
  const auto second = Open(pinned);
  const auto third = Open(withButton);
  const auto plain = Open(MakeWindow(100, 100));
  const auto topmost = [](const std::shared_ptr<Window>& window) {
    return (test::ExStyleOf(Hwnd(window->WindowHandle())) & WS_EX_TOPMOST) != 0;
  };
  EXPECT_TRUE(topmost(first));
  EXPECT_TRUE(topmost(third));
  EXPECT_FALSE(topmost(plain));

  for (const auto& window : {second, third}) {
    ::SetWindowPos(Hwnd(window->WindowHandle()), HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  first->SetTopmost(false);
  EXPECT_FALSE(topmost(first));
  EXPECT_TRUE(topmost(second));
  EXPECT_FALSE(topmost(third)) << "a window with a taskbar button is left where it is";
  EXPECT_FALSE(topmost(plain));

  // A window that left the band itself is not pulled back into it.
  second->SetTopmost(false);
  first->SetTopmost(true);
  first->SetTopmost(false);
  EXPECT_FALSE(topmost(second));
}

}  // namespace
}  // namespace nimbrel
