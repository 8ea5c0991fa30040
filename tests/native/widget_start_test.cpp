#include "tests/native/widget_fixture.h"

#include "tests/test_texts.h"
#include "widget/main_window.h"

namespace nimbrel::testing {
namespace {

// A stored state and the start-up calls it must (and must not) produce, between the clearing
// of the marks and the showing of the window.
struct StartCase {
  const char* name;
  const char* setSection;
  std::vector<std::string> expectedCalls;  // in this order, among the start-up calls
  std::vector<std::string> absentPrefixes;
};

class StartStateTest : public WidgetFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartStateTest, AppliesStoredStateInOrder) {
  const StartCase& c = GetParam();
  WriteBootIni(std::string("[set]\r\n") + c.setSection);
  EXPECT_EQ(RunProgram(), 0);
  const fake::CallLog start = CallsBetween("w1.EnableTimer(1,0)", "w1.Show");
  auto position = start.begin();
  for (const std::string& call : c.expectedCalls) {
    position = std::find_if(position, start.end(),
                            [&](const std::string& logged) { return logged.rfind(call, 0) == 0; });
    ASSERT_NE(position, start.end()) << "missing or out of order: " << call;
  }
  for (const std::string& prefix : c.absentPrefixes) {
    for (const std::string& call : start) EXPECT_NE(call.rfind(prefix, 0), 0u) << call;
  }
}

INSTANTIATE_TEST_SUITE_P(
    StoredStates, StartStateTest,
    ::testing::Values(
        StartCase{"AlwaysOnTopAlone",
                  "forme=1\r\ndesktop=0\r\n",
                  {"ApplyTransparency(w1,200)", "w1.SetTopmost(1)", "w1.SetMenuChecked(4,1)"},
                  {"SetWindowParent", "FindDesktopHost", "w1.SetMenuChecked(6,1)"}},
        StartCase{"DesktopAlone",
                  "forme=0\r\ndesktop=1\r\n",
                  {"FindDesktopHost", "SetWindowParent(w1,host)", "w1.SetMenuChecked(6,1)"},
                  {"w1.SetTopmost", "w1.SetMenuChecked(4,1)"}},
        StartCase{"BothModesDisagree",
                  "forme=1\r\ndesktop=1\r\n",
                  {},
                  {"w1.SetTopmost", "SetWindowParent", "w1.SetMenuChecked(4,1)",
                   "w1.SetMenuChecked(6,1)"}},
        StartCase{"NeitherMode",
                  "forme=0\r\ndesktop=0\r\n",
                  {},
                  {"w1.SetTopmost", "SetWindowParent", "FindDesktopHost"}},
        StartCase{"ClickThroughAfterTransparency",
                  "mouse penetrate=1\r\ntransparent=120\r\n",
                  {"ApplyTransparency(w1,120)", "GetExStyle(w1)", "SetExStyle(w1,0x80020)",
                   "w1.SetMenuChecked(5,1)", "w1.SetWindowTop(0)"},
                  {}},
        StartCase{
            "TimedRefresh", "refresh=1\r\n", {"w1.EnableTimer(1,1)", "w1.SetMenuChecked(2,1)"}, {}},
        StartCase{"RefreshOtherText",
                  "refresh=yes\r\n",
                  {},
                  {"w1.EnableTimer(1,1)", "w1.SetMenuChecked(2,1)"}},
        StartCase{"AutorunOn",
                  "system startup=1\r\n",
                  {"RegisterAutorun(Nimbrel,"},
                  {"UnregisterAutorun"}},
        StartCase{"AutorunOff",
                  "system startup=0\r\n",
                  {"UnregisterAutorun(Nimbrel)"},
                  {"RegisterAutorun"}},
        StartCase{"AutorunOtherText",
                  "system startup=yes\r\n",
                  {},
                  {"RegisterAutorun", "UnregisterAutorun"}},
        StartCase{"AutorunTrailingBlankIsTrimmed",
                  "system startup=1 \r\n",
                  {"RegisterAutorun(Nimbrel,"},
                  {}},
        StartCase{"EmptyCityRequestsNothing", "city=\r\n", {}, {"w1.SetWebAddress"}},
        StartCase{"TrayOff", "tray=0\r\n", {}, {"w1.ShowTrayIcon"}},
        StartCase{"StoredPositionFullWidthAndOffScreen",
                  "top=99999\r\nleft=\xA3\xB2\xA3\xB0\xA3\xB0\r\n",
                  {"w1.SetWindowTop(574)", "w1.SetWindowLeft(200)"},
                  {}},
        StartCase{
            "AlphaOutOfRangeIsPassedOn", "transparent=abc\r\n", {"ApplyTransparency(w1,0)"}, {}}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST_F(WidgetFixture, AutorunCommandIsTheRunningExecutable) {
  WriteBootIni("[set]\r\nsystem startup=1\r\n");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(Logged("RegisterAutorun(Nimbrel," + directory_ + "\\Nimbrel.exe)"));
}

TEST_F(WidgetFixture, ClickThroughWithoutTrayIconKeepsTheMenuReachable) {
  WriteBootIni("[set]\r\ntray=0\r\nmouse penetrate=1\r\n");
  EXPECT_EQ(RunProgram([&] {
              EXPECT_TRUE(Main().HasTrayIcon());
              Main().PressRight();  // passes through the window
              EXPECT_EQ(Count("w1.PopupMenuAtCursor"), 0);
              desktop.popupChoices = {main_window::kClickThrough};
              Main().TrayEvent(
                  TrayIconKind::kLeftClick);  // switch click-through off from the icon's menu
              EXPECT_FALSE(Main().HasTrayIcon());
              EXPECT_EQ(desktop.exStyle(Main().WindowHandle()), style::kLayered);
              desktop.popupChoices = {main_window::kExit};
              Main().PressRight();
            }),
            0);
  EXPECT_NE(ReadBootIni().find("tray=0\r\n"), std::string::npos);
  EXPECT_NE(ReadBootIni().find("mouse penetrate=0\r\n"), std::string::npos);
}

TEST_F(WidgetFixture, LoadSettingsPullsBackOnlyAnEdgeStrictlyPastTheScreen) {
  struct EdgeCase {
    const char* key;
    const char* stored;
    const char* loaded;
  };
  const EdgeCase cases[] = {
      {"top", "99999", "574"},  {"top", "769", "574"},
      {"top", "768", "768"},    {"top", "767", "767"},
      {"top", "-50", "-50"},    {"top", "", ""},
      {"top", "abc", "abc"},    {"left", "1025", "766"},
      {"left", "1024", "1024"}, {"left", "\xA3\xB2\xA3\xB0\xA3\xB0", "\xA3\xB2\xA3\xB0\xA3\xB0"},
  };
  for (const EdgeCase& c : cases) {
    WriteBootIni(std::string("[set]\r\n") + c.key + "=" + c.stored + "\r\n");
    WidgetSettings settings;
    LoadSettings(settings, profile, directory_ + "\\boot.ini", {1024, 768}, {258, 194},
                 OnDesktop());
    EXPECT_EQ(std::string(c.key) == "top" ? settings.top : settings.left, c.loaded)
        << c.key << "=" << c.stored;
  }
}

TEST_F(WidgetFixture, LoadSettingsKeepsAPlaceOnAnotherMonitor) {
  struct PlaceCase {
    ScreenRectPixels otherMonitor;
    const char* left;
    const char* top;
    const char* loadedLeft;
    const char* loadedTop;
  };
  const ScreenRectPixels right{1024, 0, 1280, 1024};
  const ScreenRectPixels below{0, 768, 1024, 768};
  const PlaceCase cases[] = {
      {right, "1100", "100", "1100", "100"},
      {right, "1100", "1000", "1100", "1000"},  // below the primary's height, on the right one
      {right, "2200", "100", "2200", "100"},    // partly past the right monitor's far edge
      {right, "2304", "100", "766", "100"},     // touching its far edge is not on it
      {right, "100", "900", "100", "574"},      // below the primary, on no monitor
      {right, "1100", "1024", "766", "574"},
      {right, "1100", "2147483647", "766", "574"},
      {below, "100", "900", "100", "900"},
      {below, "1100", "900", "766", "574"},  // right of the lower monitor: on none
      {below, "", "1400", "", "1400"},
  };
  for (const PlaceCase& c : cases) {
    desktop.otherMonitors = {c.otherMonitor};
    WriteBootIni(std::string("[set]\r\nleft=") + c.left + "\r\ntop=" + c.top + "\r\n");
    WidgetSettings settings;
    LoadSettings(settings, profile, directory_ + "\\boot.ini", {1024, 768}, {258, 194},
                 OnDesktop());
    EXPECT_EQ(settings.left, c.loadedLeft) << c.left << "," << c.top;
    EXPECT_EQ(settings.top, c.loadedTop) << c.left << "," << c.top;
  }
}

TEST_F(WidgetFixture, StartsWhereItWasLeftOnASecondMonitor) {
  desktop.otherMonitors = {{1024, 0, 1280, 1024}};
  WriteBootIni("[set]\r\nleft=1500\r\ntop=900\r\n");
  EXPECT_EQ(RunProgram([&] {
              desktop.popupChoices = {main_window::kExit};
              Main().PressRight();
            }),
            0);
  EXPECT_TRUE(Logged("w1.SetWindowLeft(1500)"));
  EXPECT_TRUE(Logged("w1.SetWindowTop(900)"));
  EXPECT_NE(ReadBootIni().find("left=1500\r\n"), std::string::npos);
  EXPECT_NE(ReadBootIni().find("top=900\r\n"), std::string::npos);
}

}  // namespace
}  // namespace nimbrel::testing
