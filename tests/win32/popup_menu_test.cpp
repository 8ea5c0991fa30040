#include "platform/win32/popup_menu.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/system_texts.h"
#include "tests/test_texts.h"

namespace nimbrel::win32 {
namespace {

// The widget's menu: a hidden root whose children make the popup, one nested submenu.
const std::vector<MenuItemDefinition> kMenu = {
    {kMenuConfig, 0, true},   // 0
    {kMenuManualRefresh, 1},  // 1
    {kMenuTimedRefresh, 1},   // 2
    {kFiveMinutesItem, 2},    // 3
    {kTenMinutesItem, 2},     // 4
    {"-", 1},                 // 5
    {kMenuAlwaysOnTop, 1},    // 6
    {kHiddenItem, 1, true},   // 7
    {"under the hidden", 2},  // 8
    {kExitItem, 1},           // 9
    {kHelpItem, 0},           // 10
    {kAboutItem, 1},          // 11
};

std::vector<bool> Checked(std::initializer_list<int> indices) {
  std::vector<bool> checked(kMenu.size(), false);
  for (int index : indices) checked[static_cast<std::size_t>(index)] = true;
  return checked;
}

struct ItemLook {
  std::string text;
  UINT id;
  bool separator;
  bool checked;
  HMENU submenu;
};

ItemLook LookAt(HMENU menu, int position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
  EXPECT_TRUE(::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info));
  char text[256] = {};
  const int length =
      ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return {std::string(text, static_cast<std::size_t>(length > 0 ? length : 0)), info.wID,
          (info.fType & MFT_SEPARATOR) != 0, (info.fState & MFS_CHECKED) != 0, info.hSubMenu};
}

struct Expected {
  std::string text;
  UINT id;
  bool separator;
  bool checked;
  bool hasSubmenu;
};

void ExpectItems(HMENU menu, const std::vector<Expected>& expected) {
  ASSERT_EQ(::GetMenuItemCount(menu), static_cast<int>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    const ItemLook item = LookAt(menu, static_cast<int>(i));
    EXPECT_EQ(item.text, expected[i].text);
    EXPECT_EQ(item.separator, expected[i].separator);
    EXPECT_EQ(item.checked, expected[i].checked);
    EXPECT_EQ(item.submenu != nullptr, expected[i].hasSubmenu);
    if (!expected[i].hasSubmenu) {
      EXPECT_EQ(item.id, expected[i].id);
    }
  }
}

TEST(BuildPopupMenuTest, ChildrenOfTheHiddenRootWithTicksSeparatorAndSubmenu) {
  const UniqueMenu popup = BuildPopupMenu(kMenu, Checked({3, 6}), 0);
  ASSERT_TRUE(popup);
  ExpectItems(popup.get(), {{kMenuManualRefresh, 20001, false, false, false},
                            {kMenuTimedRefresh, 0, false, false, true},
                            {"", 20005, true, false, false},
                            {kMenuAlwaysOnTop, 20006, false, true, false},
                            {kExitItem, 20009, false, false, false}});
  const HMENU submenu = LookAt(popup.get(), 1).submenu;
  ExpectItems(submenu, {{kFiveMinutesItem, 20003, false, true, false},
                        {kTenMinutesItem, 20004, false, false, false}});
}

TEST(BuildPopupMenuTest, TicksFollowTheCheckedList) {
  const UniqueMenu none = BuildPopupMenu(kMenu, Checked({}), 0);
  EXPECT_FALSE(LookAt(none.get(), 3).checked);
  const UniqueMenu all = BuildPopupMenu(kMenu, std::vector<bool>(kMenu.size(), true), 0);
  EXPECT_TRUE(LookAt(all.get(), 0).checked);
  EXPECT_TRUE(LookAt(all.get(), 4).checked);
  // A list shorter than the menu leaves the rest unticked rather than reading past it.
  const UniqueMenu shortList = BuildPopupMenu(kMenu, {false, true}, 0);
  EXPECT_TRUE(LookAt(shortList.get(), 0).checked);
  EXPECT_FALSE(LookAt(shortList.get(), 3).checked);
}

TEST(BuildPopupMenuTest, ALaterRootHasItsOwnChildren) {
  const UniqueMenu popup = BuildPopupMenu(kMenu, Checked({}), 10);
  ASSERT_TRUE(popup);
  ExpectItems(popup.get(), {{kAboutItem, 20011, false, false, false}});
}

TEST(BuildPopupMenuTest, ItemsWithoutChildrenGiveNoMenu) {
  for (int parent : {1, 6, 9, 11, -1, 12, INT_MAX}) {
    SCOPED_TRACE(parent);
    EXPECT_FALSE(BuildPopupMenu(kMenu, Checked({}), parent));
  }
  const std::vector<MenuItemDefinition> onlyHiddenChildren = {{"root", 0}, {"gone", 1, true}};
  EXPECT_FALSE(BuildPopupMenu(onlyHiddenChildren, {false, false}, 0));
}

TEST(MenuItemFromCommandTest, MapsCommandIdsBackToDefinitionIndices) {
  struct Case {
    UINT id;
    std::size_t count;
    int expected;
  };
  const Case cases[] = {{20000, 12, 0},  {20009, 12, 9}, {20011, 12, 11}, {20012, 12, -1},
                        {19999, 12, -1}, {0, 12, -1},    {20000, 0, -1},  {UINT_MAX, 12, -1},
                        {1, 1, -1},      {20005, 100, 5}};
  for (const Case& c : cases) {
    EXPECT_EQ(MenuItemFromCommand(c.id, c.count), c.expected) << c.id << " of " << c.count;
  }
}

// --- the popup opened for real --------------------------------------------------------------

constexpr int kCursorX = 300;
constexpr int kCursorY = 240;

struct Sighting {
  bool seen = false;
  RECT bounds{};
};

Sighting& MenuSighting() {
  static Sighting sighting;
  return sighting;
}

// Runs inside the menu's own loop: notes where the menu window is and closes it.
void CALLBACK CloseOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (const HWND menuWindow = ::FindWindowA("#32768", nullptr);
      menuWindow && ::IsWindowVisible(menuWindow)) {
    MenuSighting().seen = true;
    ::GetWindowRect(menuWindow, &MenuSighting().bounds);
  }
  ::EndMenu();
}

TEST(TrackPopupAtCursorTest, OpensUpLeftOfTheCursorReturnsAndPostsANullMessage) {
  const HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  const UniqueMenu popup = BuildPopupMenu(kMenu, Checked({6}), 0);
  ASSERT_TRUE(::SetCursorPos(kCursorX, kCursorY));
  MenuSighting() = {};
  constexpr UINT kCloseAfterMilliseconds = 200;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, kCloseAfterMilliseconds, CloseOpenMenu);

  TrackPopupAtCursor(owner, popup.get());
  ::KillTimer(nullptr, timer);

  EXPECT_TRUE(MenuSighting().seen);
  EXPECT_EQ(MenuSighting().bounds.right, kCursorX - 5);
  EXPECT_EQ(MenuSighting().bounds.top, kCursorY - 5);
  bool nullPosted = false;
  MSG message{};
  for (int i = 0; i < 1000 && ::PeekMessageA(&message, owner, 0, 0, PM_REMOVE); ++i) {
    nullPosted = nullPosted || message.message == WM_NULL;
  }
  EXPECT_TRUE(nullPosted);
  ::DestroyWindow(owner);
}

}  // namespace
}  // namespace nimbrel::win32
