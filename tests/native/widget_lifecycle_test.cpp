#include "tests/native/widget_fixture.h"

#include "core/system_texts.h"
#include "tests/test_texts.h"
#include "widget/main_window.h"

namespace nimbrel::testing {
namespace {

using main_window::kExit;
const std::string kDefaultAddress = "http://127.0.0.1:8383/tb.q?cid=tb.tq&cin=&city=" + kHuainan;

class LifecycleTest : public WidgetFixture {};

TEST_F(LifecycleTest, FirstStartWithoutProfileRunsEveryStepInOrder) {
  EXPECT_EQ(RunProgram(), 0);
  const fake::CallLog expected = {
      "ClaimSingleInstance",
      "InitializeOle",
      "SetCurrentDirectory(" + ProgramDirectoryText() + ")",
      "CreateOwnerToolWindow",
      "CreateWindow w1",
      "w1.SetMenuChecked(4,0)",
      "w1.SetMenuChecked(5,0)",
      "w1.SetMenuChecked(6,0)",
      "w1.SetMenuChecked(2,0)",
      "w1.EnableTimer(1,0)",
      "UnregisterAutorun(Nimbrel)",
      "w1.ShowTrayIcon(Nimbrel)",
      "ApplyTransparency(w1,200)",
      "w1.SetWindowTop(0)",
      "w1.SetWindowLeft(0)",
      "w1.SetWebAddress(3," + kDefaultAddress + ")",
      "w1.Show",
      "RunMessageLoop",
  };
  ASSERT_GE(log.size(), expected.size());
  EXPECT_EQ(fake::CallLog(log.begin(), log.begin() + expected.size()), expected);
}

TEST_F(LifecycleTest, ExitSavesElevenKeysRemovesIconAndTearsDownInOrder) {
  EXPECT_EQ(RunProgram([&] {
              desktop.popupChoices = {kExit};
              Main().PressRight();
            }),
            0);
  const fake::CallLog expected = {
      "Write(set,province," + kAnhui + ")",
      "Write(set,city," + kHuainan + ")",
      "Write(set,system startup,0)",
      "Write(set,tray,1)",
      "Write(set,refresh,0)",
      "Write(set,transparent,200)",
      "Write(set,mouse penetrate,0)",
      "Write(set,desktop,0)",
      "Write(set,forme,0)",
      "Write(set,top,)",
      "Write(set,left,)",
      "w1.RemoveTrayIcon",
      "CloseHandlerGate",
      "DestroyAllWindows",
      "w1.Destroy",
      "UninitializeOle",
      "Exit(0)",
  };
  EXPECT_EQ(CallsAfter("w1.PopupMenuAtCursor(0)"), expected);
  EXPECT_EQ(ReadBootIni(), "[set]\r\nprovince=" + kAnhui + "\r\ncity=" + kHuainan +
                               "\r\nsystem startup=0\r\ntray=1\r\nrefresh=0\r\ntransparent=200\r\n"
                               "mouse penetrate=0\r\ndesktop=0\r\nforme=0\r\ntop=\r\nleft=\r\n");
}

enum class Ending { kMenu, kTrayMenu, kEscape, kDestroy, kSessionEnd };

class EndingTest : public WidgetFixture, public ::testing::WithParamInterface<Ending> {
 protected:
  void End(fake::FakeWindow& main) {
    switch (GetParam()) {
      case Ending::kMenu:
        desktop.popupChoices = {kExit};
        return main.PressRight();
      case Ending::kTrayMenu:
        desktop.popupChoices = {kExit};
        return main.TrayEvent(TrayIconKind::kRightClick);
      case Ending::kEscape:
        return main.PressEscape();
      case Ending::kDestroy:
        return main.Destroy();
      case Ending::kSessionEnd:
        return main.EndSession();
    }
  }
};

TEST_P(EndingTest, EveryWayOfEndingSavesOnceInPlace) {
  WriteBootIni("[set]\r\ncity=" + kHefei +
               "\r\nzoom=3\r\nrefresh=1\r\ntop=40\r\nleft=-6\r\n"
               "[province]\r\ncount=1\r\n1=" +
               kAnhui + "\r\n");
  EXPECT_EQ(RunProgram([&] { End(Main()); }), 0);
  // The teardown destroys MainWindow again: its destroy event must not save a second time.
  EXPECT_EQ(Count("Write(set,"), 11);
  EXPECT_EQ(Count("w1.RemoveTrayIcon"), 1);
  EXPECT_EQ(log.back(), "Exit(0)");
  EXPECT_EQ(ReadBootIni(), "[set]\r\ncity=" + kHefei +
                               "\r\nzoom=3\r\nrefresh=1\r\ntop=40\r\nleft=-6\r\n"
                               "province=" +
                               kAnhui +
                               "\r\nsystem startup=0\r\ntray=1\r\ntransparent=200\r\n"
                               "mouse penetrate=0\r\ndesktop=0\r\nforme=0\r\n"
                               "[province]\r\ncount=1\r\n1=" +
                               kAnhui + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(AllEndings, EndingTest,
                         ::testing::Values(Ending::kMenu, Ending::kTrayMenu, Ending::kEscape,
                                           Ending::kDestroy, Ending::kSessionEnd));

TEST_F(LifecycleTest, NoHandlerRunsOnceTheProgramIsEnding) {
  EXPECT_EQ(RunProgram([&] { Main().PressEscape(); }), 0);
  log.clear();
  Main().Tick(main_window::kRefreshTimer);
  Main().TrayEvent(TrayIconKind::kLeftClick);
  Main().EndSession();
  EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(LifecycleTest, SecondInstanceExitsAtOnceTouchingNothing) {
  WriteBootIni("[set]\r\ntray=1\r\n");
  process.anotherInstanceRunning = true;
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(log, (fake::CallLog{"ClaimSingleInstance", "Exit(0)"}));
  EXPECT_EQ(ReadBootIni(), "[set]\r\ntray=1\r\n");
}

TEST_F(LifecycleTest, MainWindowThatCannotBeCreatedEndsWithMinusOneAndSavesNothing) {
  desktop.failWindowCreation = true;
  EXPECT_EQ(RunProgram(), -1);
  EXPECT_EQ(
      CallsAfter("CreateWindow failed"),
      (fake::CallLog{"ShowErrorMessage(" + std::string(kCreationFailedMessage) + ")", "Exit(-1)"}));
  EXPECT_EQ(Count("Write("), 0);
  EXPECT_FALSE(std::filesystem::exists(BootIniPath()));
}

TEST_F(LifecycleTest, ConfiguredWeatherPortalIsUsedAndNeverWritten) {
  WriteBootIni("[weather]\r\nbase=http://127.0.0.1:8080/\r\n");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(Logged(
      "w1.SetWebAddress(3,http://127.0.0.1:8080/tb.q?cid=tb.tq&cin=&city=" + kHuainan + ")"));
  EXPECT_EQ(Count("Write(weather"), 0);
}

}  // namespace
}  // namespace nimbrel::testing
