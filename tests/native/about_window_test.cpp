#include "tests/native/widget_fixture.h"

#include "dialogs/about_window.h"
#include "dialogs/settings_window.h"
#include "widget/main_window.h"

namespace nimbrel::testing {
namespace {

class AboutWindowTest : public WidgetFixture {
 protected:
  // Opens the about window from the widget's menu; `whileOpen` acts inside its modal loop.
  void OpenAbout(std::function<void(fake::FakeWindow&)> whileOpen) {
    WriteBootIni("");
    desktop.modalActions.push_back(std::move(whileOpen));
    EXPECT_EQ(RunProgram([&] {
                desktop.popupChoices = {main_window::kAbout};
                Main().PressRight();
                EXPECT_TRUE(Main().IsEnabled());
                Main().PressEscape();
              }),
              0);
  }
};

TEST_F(AboutWindowTest, OpensTopmostAndModal) {
  OpenAbout([&](fake::FakeWindow& about) {
    EXPECT_TRUE(about.topmost());
    EXPECT_TRUE(about.visible());
    EXPECT_FALSE(Main().IsEnabled());
    about.Click(about_window::kOkButton);
  });
  EXPECT_EQ(CallsBetween("CreateWindow w2", "w2.RunModal"),
            (fake::CallLog{"w2.SetTopmost(1)", "w2.Show"}));
}

TEST_F(AboutWindowTest, OkClosesOnlyAfterItsHandlerHasReturned) {
  OpenAbout([&](fake::FakeWindow& about) {
    about.Click(about_window::kOkButton);
    EXPECT_TRUE(about.IsOpen());  // the close request is posted, not carried out at once
  });
  EXPECT_EQ(CallsAfter("w2.RunModal").front(), "w2.PostPrivate");
  EXPECT_FALSE(desktop.window("w2")->IsOpen());
  EXPECT_EQ(Count("w2.Destroy"), 1);
}

TEST_F(AboutWindowTest, EscapeAndCloseBoxCloseAtOnce) {
  OpenAbout([&](fake::FakeWindow& about) {
    about.PressEscape();
    EXPECT_FALSE(about.IsOpen());
    EXPECT_TRUE(Main().IsEnabled());
  });
}

TEST_F(AboutWindowTest, SecondOpeningOnlyActivatesTheOpenWindow) {
  OpenAbout([&](fake::FakeWindow&) {
    desktop.popupChoices = {main_window::kAbout};
    Main().TrayEvent(TrayIconKind::kLeftClick);
  });
  EXPECT_TRUE(Logged("w2.RestoreOrActivate"));
  EXPECT_EQ(desktop.windows().size(), 2u);
}

TEST_F(AboutWindowTest, OpeningWhileClosingCarriesOutThePendingCloseFirst) {
  OpenAbout([&](fake::FakeWindow& about) {
    about.Click(about_window::kOkButton);
    desktop.modalActions.push_back([](fake::FakeWindow& second) { second.PressEscape(); });
    desktop.popupChoices = {main_window::kAbout};
    Main().TrayEvent(TrayIconKind::kLeftClick);
    EXPECT_FALSE(about.IsOpen());
  });
  EXPECT_EQ(desktop.windows().size(), 3u);
  EXPECT_FALSE(Logged("w2.RestoreOrActivate"));
}

TEST_F(AboutWindowTest, SettingsOpenedOnTopDisablesAboutUntilItCloses) {
  OpenAbout([&](fake::FakeWindow& about) {
    desktop.modalActions.push_back([&](fake::FakeWindow&) {
      EXPECT_FALSE(about.IsEnabled());
      EXPECT_FALSE(Main().IsEnabled());
    });
    desktop.popupChoices = {main_window::kSystemSettings};
    Main().TrayEvent(TrayIconKind::kRightClick);
    EXPECT_TRUE(about.IsEnabled());
    EXPECT_FALSE(Main().IsEnabled());
  });
}

TEST_F(AboutWindowTest, ExitFromTheIconMenuWhileOpenEndsTheProgram) {
  WriteBootIni("");
  desktop.modalActions.push_back([&](fake::FakeWindow&) {
    desktop.popupChoices = {main_window::kExit};
    Main().TrayEvent(TrayIconKind::kRightClick);
  });
  EXPECT_EQ(RunProgram([&] {
              desktop.popupChoices = {main_window::kAbout};
              Main().PressRight();
            }),
            0);
  EXPECT_EQ(Count("Write(set,"), 11);
}

}  // namespace
}  // namespace nimbrel::testing
