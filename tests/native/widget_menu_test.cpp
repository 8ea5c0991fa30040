#include "tests/native/widget_fixture.h"

#include "core/system_texts.h"
#include "widget/main_window.h"

namespace nimbrel::testing {
namespace {

using namespace main_window;

const std::string kTimed = kMenuTimedRefresh;
const std::string kOnTop = kMenuAlwaysOnTop;
const std::string kThrough = kMenuClickThrough;
const std::string kEmbed = kMenuDesktopEmbedding;

// Runs the program with `stored` as section "set", lets the user choose `items` one after
// the other from the widget's menu, and returns the calls each choice made.
class MenuTest : public WidgetFixture {
 protected:
  std::vector<fake::CallLog> Choose(const std::string& stored, std::vector<int> items,
                                    std::function<void()> afterwards = {}) {
    WriteBootIni("[set]\r\n" + stored);
    std::vector<fake::CallLog> perChoice;
    EXPECT_EQ(
        RunProgram([&] {
          for (int item : items) {
            const std::size_t before = log.size();
            desktop.popupChoices = {item};
            Main().TrayEvent(
                TrayIconKind::kRightClick);  // the icon reaches the menu even through click-through
            perChoice.emplace_back(log.begin() + before + 1, log.end());
          }
          if (afterwards) afterwards();
        }),
        0);
    return perChoice;
  }
  std::string Saved(const std::string& key) const {
    const std::string content = ReadBootIni();
    const auto at = content.find("\r\n" + key + "=");
    if (at == std::string::npos) return "<absent>";
    const auto begin = at + key.size() + 3;
    return content.substr(begin, content.find("\r\n", begin) - begin);
  }
};

TEST_F(MenuTest, PopupShowsTheElevenItemsWithCurrentMarks) {
  WriteBootIni("[set]\r\nrefresh=1\r\nforme=1\r\n");
  EXPECT_EQ(RunProgram([&] { Main().PressRight(); }), 0);
  const std::vector<std::string> expected = {
      kMenuManualRefresh,  "*" + kTimed, "-", "*" + kOnTop, kThrough, kEmbed, "-",
      kMenuSystemSettings, kMenuAbout,   "-", kMenuExit};
  EXPECT_EQ(Main().lastPopup(), expected);
}

TEST_F(MenuTest, AlwaysOnTopSwitchesOnDetachingFirstAndOffAlone) {
  const auto calls = Choose("forme=0\r\ndesktop=1\r\n", {kAlwaysOnTop, kAlwaysOnTop});
  EXPECT_EQ(calls[0], (fake::CallLog{"SetWindowParent(w1,null)", "w1.SetMenuChecked(4,1)",
                                     "w1.SetTopmost(1)", "w1.SetMenuChecked(6,0)"}));
  EXPECT_EQ(calls[1], (fake::CallLog{"w1.SetTopmost(0)", "w1.SetMenuChecked(4,0)"}));
  EXPECT_EQ(Saved("forme"), "0");
  EXPECT_EQ(Saved("desktop"), "0");  // neither mode is on after the second choice
}

TEST_F(MenuTest, DesktopEmbeddingSwitchesTopmostOffFirstAndDetachesWhenOff) {
  const auto calls = Choose("forme=1\r\ndesktop=0\r\n", {kDesktopEmbedding, kDesktopEmbedding});
  EXPECT_EQ(calls[0],
            (fake::CallLog{"w1.SetTopmost(0)", "FindDesktopHost", "SetWindowParent(w1,host)",
                           "w1.SetMenuChecked(6,1)", "w1.SetMenuChecked(4,0)"}));
  EXPECT_EQ(calls[1], (fake::CallLog{"SetWindowParent(w1,null)", "w1.SetMenuChecked(6,0)"}));
  EXPECT_EQ(Saved("forme"), "0");
  EXPECT_EQ(Saved("desktop"), "0");
}

TEST_F(MenuTest, EmbeddingWithoutDesktopHostStillMarksAndStores) {
  desktop.hasDesktopHost = false;
  const auto calls = Choose("", {kDesktopEmbedding});
  EXPECT_EQ(calls[0][2], "SetWindowParent(w1,null)");
  EXPECT_EQ(Saved("desktop"), "1");
}

TEST_F(MenuTest, FirstUseMakesDisagreeingModeFieldsAgree) {
  Choose("forme=1\r\ndesktop=1\r\n", {kAlwaysOnTop});
  EXPECT_EQ(Saved("forme"), "1");
  EXPECT_EQ(Saved("desktop"), "0");
}

TEST_F(MenuTest, ClickThroughOnKeepsOtherBitsAndOffLeavesExactlyLayered) {
  const auto calls = Choose("transparent=90\r\n", {kClickThrough, kClickThrough}, [&] {
    EXPECT_EQ(desktop.exStyle(Main().WindowHandle()), style::kLayered);
    EXPECT_EQ(desktop.alpha(Main().WindowHandle()), 90);
  });
  EXPECT_EQ(calls[0],
            (fake::CallLog{"GetExStyle(w1)", "SetExStyle(w1,0x80020)", "w1.SetMenuChecked(5,1)"}));
  EXPECT_EQ(calls[1], (fake::CallLog{"w1.SetMenuChecked(5,0)", "SetExStyle(w1,0x0)",
                                     "ApplyTransparency(w1,90)"}));
  EXPECT_EQ(Saved("mouse penetrate"), "0");
}

TEST_F(MenuTest, ClickThroughCombinesWithEitherPlacementMode) {
  Choose("forme=1\r\ndesktop=0\r\n", {kClickThrough});
  EXPECT_EQ(Saved("forme"), "1");
  EXPECT_EQ(Saved("mouse penetrate"), "1");
  EXPECT_TRUE(Main().topmost());
}

TEST_F(MenuTest, TimedRefreshTogglesMarkFieldAndTimerAndTicksOnlyWhileOn) {
  const auto calls = Choose("", {kTimedRefresh}, [&] {
    Main().Tick(kRefreshTimer);
    EXPECT_EQ(Count("w1.SetWebAddress"), 2);  // start-up and the tick
    desktop.popupChoices = {kTimedRefresh};
    Main().PressRight();
    Main().Tick(kRefreshTimer);
    EXPECT_EQ(Count("w1.SetWebAddress"), 2);
  });
  EXPECT_EQ(calls[0], (fake::CallLog{"w1.SetMenuChecked(2,1)", "w1.EnableTimer(1,1)"}));
  EXPECT_EQ(Saved("refresh"), "0");
}

TEST_F(MenuTest, ManualRefreshRequestsTheSamePageEveryTime) {
  const auto calls = Choose("city=\r\n", {kManualRefresh, kManualRefresh});
  const fake::CallLog request = {
      "w1.SetWebAddress(3,http://127.0.0.1:8383/tb.q?cid=tb.tq&cin=&city=)"};
  EXPECT_EQ(calls[0], request);
  EXPECT_EQ(calls[1], request);
}

TEST_F(MenuTest, CityTextIsAppendedUnencoded) {
  Choose("city=a b&c#d+e\r\n", {});
  EXPECT_TRUE(Logged("w1.SetWebAddress(3,http://127.0.0.1:8383/tb.q?cid=tb.tq&cin=&city=a b&c#d+e)"));
}

TEST_F(MenuTest, DragStoresTopThenLeftOfTheNewPosition) {
  WriteBootIni("");
  EXPECT_EQ(RunProgram([&] {
              desktop.dragTo = {-30, 700};
              Main().PressLeft(5, 6, {true, true, true});  // keys and position do not matter
              EXPECT_EQ(widget->settings().top, "700");
              EXPECT_EQ(widget->settings().left, "-30");
              Main().PressLeft();  // a press without movement stores the unchanged position
              EXPECT_EQ(Count("w1.BeginWindowDrag"), 2);
              Main().PressEscape();
            }),
            0);
  EXPECT_NE(ReadBootIni().find("top=700\r\nleft=-30\r\n"), std::string::npos);
}

TEST_F(MenuTest, EveryTrayEventKindOpensTheMenu) {
  WriteBootIni("");
  EXPECT_EQ(RunProgram([&] {
              for (TrayIconKind kind : {TrayIconKind::kLeftClick, TrayIconKind::kLeftDoubleClick,
                                        TrayIconKind::kRightClick})
                Main().TrayEvent(kind);
              Main().PressEscape();
            }),
            0);
  EXPECT_EQ(Count("w1.PopupMenuAtCursor(0)"), 3);
}

}  // namespace
}  // namespace nimbrel::testing
