#include "tests/native/widget_fixture.h"

#include "dialogs/settings_window.h"
#include "tests/test_texts.h"
#include "widget/main_window.h"

namespace nimbrel::testing {
namespace {

using namespace settings_window;

// Tibet (kTibet) is listed without a section.

// A catalogue with the faults a hand-edited file has: a count above its keys, a province
// without a section, a city section with a gap.
const std::string kCatalogue =
    "[province]\r\ncount=4\r\n1=" + kAnhui + "\r\n2=" + kBeijing + "\r\n3=" + kTibet +
    "\r\n4=\r\n[" + kAnhui + "]\r\ncount=2\r\n1=" + kHefei + "\r\n[" + kBeijing +
    "]\r\ncount=\xA3\xB2\r\n1=" + kBeijing + "\r\n2=" + kHaidian + "\r\n";

class SettingsWindowTest : public WidgetFixture {
 protected:
  // Starts the widget with `set` and the catalogue, opens the settings window from the menu and
  // lets `whileOpen` act on it; the window closes afterwards as if by Esc.
  void WithSettingsOpen(const std::string& set, std::function<void(fake::FakeWindow&)> whileOpen) {
    WriteBootIni("[set]\r\n" + set + kCatalogue);
    desktop.modalActions.push_back(std::move(whileOpen));
    EXPECT_EQ(RunProgram([&] {
                desktop.popupChoices = {main_window::kSystemSettings};
                if (Main().HasTrayIcon()) {
                  Main().TrayEvent(TrayIconKind::kRightClick);
                } else {
                  Main().PressRight();
                }
                Main().PressEscape();
              }),
              0);
  }
  fake::CallLog CallsWhileOpen() const { return CallsBetween("w2.RunModal", "w2.Close"); }
};

TEST_F(SettingsWindowTest, CreationStepsFillTheControlsFromTheLiveSettings) {
  WithSettingsOpen("system startup=1\r\ntray=1\r\ntransparent=10\r\n",
                   [](fake::FakeWindow& settings) {
                     EXPECT_EQ(settings.SliderPosition(kTransparencySlider), 50);
                     EXPECT_EQ(settings.GetText(kTransparencyValueLabel), "10");
                     EXPECT_TRUE(settings.topmost());
                   });
  const fake::CallLog expected = {
      "w2.SetTopmost(1)",
      "w2.SetChecked(1,1)",
      "w2.SetChecked(2,1)",
      "w2.SetText(4," + kAnhui + ")",
      "w2.SetText(5," + kHuainan + ")",
      "w2.SetSliderPosition(7,10)",
      "w2.AddListRow(4," + kAnhui + ")",
      "w2.AddListRow(4," + kBeijing + ")",
      "w2.AddListRow(4," + kTibet + ")",
      "w2.AddListRow(4,)",
      "w2.AddListRow(5," + kHefei + ")",
      "w2.AddListRow(5," + kAnhui + ")",  // missing key 2 shows the default when opening
      "w2.SetText(8,10)",
      "w2.Show",
      "w2.RunModal",
  };
  EXPECT_EQ(CallsBetween("CreateWindow w2", "w2.Close"), expected);
}

TEST_F(SettingsWindowTest, FlagsOtherThanOneOpenUntickedAndUnreadableAlphaStandsAtFifty) {
  WithSettingsOpen("system startup=yes\r\ntray=0\r\ntransparent=abc\r\n",
                   [](fake::FakeWindow& settings) {
                     EXPECT_FALSE(settings.Checked(kAutorunCheck));
                     EXPECT_FALSE(settings.Checked(kTrayCheck));
                     EXPECT_EQ(settings.SliderPosition(kTransparencySlider), 50);
                     EXPECT_EQ(settings.GetText(kTransparencyValueLabel), "abc");
                   });
}

TEST_F(SettingsWindowTest, OpeningAndClosingChangesNothing) {
  WidgetSettings before;
  WithSettingsOpen("transparent=300\r\n", [&](fake::FakeWindow&) { before = widget->settings(); });
  for (const std::string& call : CallsAfter("w2.RunModal")) {
    for (const char* effect : {"RegisterAutorun", "UnregisterAutorun", "w1.ShowTrayIcon",
                               "ApplyTransparency", "w1.SetWebAddress", "Write("}) {
      if (call.rfind("Write(set", 0) == 0) continue;  // the exit at the end of the test
      EXPECT_NE(call.rfind(effect, 0), 0u) << call;
    }
  }
  EXPECT_EQ(before.transparent, "300");
  EXPECT_NE(ReadBootIni().find("transparent=300\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, AutorunCheckRegistersAndUnregistersThenStores) {
  WithSettingsOpen("system startup=0\r\n", [&](fake::FakeWindow& settings) {
    settings.Click(kAutorunCheck);
    EXPECT_EQ(widget->settings().systemStartup, "1");
    settings.Click(kAutorunCheck);
    EXPECT_EQ(widget->settings().systemStartup, "0");
  });
  const fake::CallLog calls = CallsWhileOpen();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], "RegisterAutorun(Nimbrel," + directory_ + "\\Nimbrel.exe)");
  EXPECT_EQ(calls[1], "UnregisterAutorun(Nimbrel)");
}

TEST_F(SettingsWindowTest, TrayCheckShowsAndRemovesTheIcon) {
  WithSettingsOpen("tray=0\r\n", [&](fake::FakeWindow& settings) {
    settings.Click(kTrayCheck);
    EXPECT_TRUE(Main().HasTrayIcon());
    settings.Click(kTrayCheck);
    EXPECT_FALSE(Main().HasTrayIcon());
  });
  EXPECT_EQ(CallsWhileOpen(), (fake::CallLog{"w1.ShowTrayIcon(Nimbrel)", "w1.RemoveTrayIcon"}));
  EXPECT_NE(ReadBootIni().find("tray=0\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, UntickingTheIconDuringClickThroughKeepsItUntilClickThroughEnds) {
  WithSettingsOpen("tray=1\r\nmouse penetrate=1\r\n", [&](fake::FakeWindow& settings) {
    settings.Click(kTrayCheck);
    EXPECT_EQ(widget->settings().tray, "0");
    EXPECT_TRUE(Main().HasTrayIcon());  // the only way left to the menu
  });
}

struct ProvinceCase {
  const char* name;
  std::size_t row;  // in ProvinceCombo's list, catalogue order
  std::vector<std::string> cityRows;
  std::string city;
};

class ProvinceChoiceTest : public SettingsWindowTest,
                           public ::testing::WithParamInterface<ProvinceCase> {};

TEST_P(ProvinceChoiceTest, RefillsCitiesTakesTheFirstAndRequestsItsPage) {
  const ProvinceCase& c = GetParam();
  std::string province;
  WithSettingsOpen("", [&](fake::FakeWindow& settings) {
    settings.ChooseRow(kProvinceCombo, c.row);
    province = settings.GetText(kProvinceCombo);
    EXPECT_EQ(settings.control(kCityCombo).rows, c.cityRows);
    EXPECT_EQ(settings.GetText(kCityCombo), c.city);
    EXPECT_EQ(widget->settings().province, province);
    EXPECT_EQ(widget->settings().city, c.city);
  });
  const fake::CallLog calls = CallsWhileOpen();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "w2.ResetList(5)");
  EXPECT_EQ(calls.back(),
            "w1.SetWebAddress(3,http://127.0.0.1:8383/tb.q?cid=tb.tq&cin=&city=" + c.city + ")");
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, ProvinceChoiceTest,
    ::testing::Values(
        // The province already shown still refills the list and resets the city.
        ProvinceCase{"AlreadyShownWithMissingKey", 0, {kHefei, ""}, kHefei},
        ProvinceCase{"FullWidthCount", 1, {kBeijing, kHaidian}, kBeijing},
        ProvinceCase{"NoSection", 2, {}, kAnhui}, ProvinceCase{"EmptyEntry", 3, {}, ""}),
    [](const ::testing::TestParamInfo<ProvinceCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(SettingsWindowTest, CityChoiceStoresWhateverBothCombosShow) {
  WithSettingsOpen("province=" + kBeijing + "\r\ncity=" + kBeijing + "\r\n",
                   [&](fake::FakeWindow& settings) {
                     settings.SetText(kProvinceCombo, "typed");
                     settings.ChooseRow(kCityCombo, 1);
                   });
  EXPECT_EQ(CallsWhileOpen().back(),
            "w1.SetWebAddress(3,http://127.0.0.1:8383/tb.q?cid=tb.tq&cin=&city=" + kHaidian + ")");
  EXPECT_NE(ReadBootIni().find("province=typed\r\ncity=" + kHaidian + "\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, SliderFollowsEveryPositionAndEndsClickThroughWithoutClearingIt) {
  WithSettingsOpen("mouse penetrate=1\r\n", [&](fake::FakeWindow& settings) {
    for (int position : {200, 120, 50}) settings.MoveSlider(kTransparencySlider, position);
    EXPECT_EQ(settings.GetText(kTransparencyValueLabel), "50");
    EXPECT_EQ(desktop.exStyle(Main().WindowHandle()),
              style::kLayered);  // the mouse is caught again
    EXPECT_EQ(desktop.alpha(Main().WindowHandle()), 50);
  });
  EXPECT_EQ(CallsWhileOpen(), (fake::CallLog{"w2.SetText(8,200)", "ApplyTransparency(w1,200)",
                                             "w2.SetText(8,120)", "ApplyTransparency(w1,120)",
                                             "w2.SetText(8,50)", "ApplyTransparency(w1,50)"}));
  EXPECT_TRUE(Main().MenuChecked(main_window::kClickThrough));
  EXPECT_NE(ReadBootIni().find("transparent=50\r\n"), std::string::npos);
  EXPECT_NE(ReadBootIni().find("mouse penetrate=1\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, IsModalAndOpensOnlyOnce) {
  WithSettingsOpen("", [&](fake::FakeWindow& settings) {
    EXPECT_FALSE(Main().IsEnabled());
    desktop.popupChoices = {main_window::kSystemSettings};
    Main().TrayEvent(
        TrayIconKind::kLeftClick);  // the icon still reaches the menu while the window is open
    EXPECT_EQ(desktop.windows().size(), 2u);
    EXPECT_TRUE(settings.IsOpen());
  });
  EXPECT_TRUE(Logged("w2.RestoreOrActivate"));
  EXPECT_TRUE(Main().IsEnabled());
}

TEST_F(SettingsWindowTest, TicksDuringTheModalLoopUseTheCityJustChosen) {
  WithSettingsOpen("refresh=1\r\n", [&](fake::FakeWindow& settings) {
    settings.ChooseRow(kProvinceCombo, 1);
    Main().Tick(main_window::kRefreshTimer);
  });
  EXPECT_EQ(Count("w1.SetWebAddress(3,http://127.0.0.1:8383/tb.q?cid=tb.tq&cin=&city=" + kBeijing),
            2);
}

TEST_F(SettingsWindowTest, ExitFromTheIconMenuWhileOpenSavesTheValuesSoFar) {
  WriteBootIni("[set]\r\n" + kCatalogue);
  desktop.modalActions.push_back([&](fake::FakeWindow& settings) {
    settings.MoveSlider(kTransparencySlider, 77);
    desktop.popupChoices = {main_window::kExit};
    Main().TrayEvent(TrayIconKind::kRightClick);
  });
  EXPECT_EQ(RunProgram([&] {
              desktop.popupChoices = {main_window::kSystemSettings};
              Main().TrayEvent(TrayIconKind::kRightClick);
            }),
            0);
  EXPECT_NE(ReadBootIni().find("transparent=77\r\n"), std::string::npos);
  EXPECT_EQ(Count("Write(set,"), 11);
}

}  // namespace
}  // namespace nimbrel::testing
