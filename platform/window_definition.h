#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/text.h"

namespace nimbrel {

// Window-manager values the definitions carry; the Win32 layer passes them through.
namespace style {
constexpr std::uint32_t kClipChildren = 0x02000000;  // WS_CLIPCHILDREN
constexpr std::uint32_t kClipSiblings = 0x04000000;  // WS_CLIPSIBLINGS
constexpr std::uint32_t kBorder = 0x00800000;        // WS_BORDER
constexpr std::uint32_t kAutoCheckBox = 0x3;         // BS_AUTOCHECKBOX
constexpr std::uint32_t kPushButton = 0x0;           // BS_PUSHBUTTON
constexpr std::uint32_t kButtonCenter = 0x300;       // BS_CENTER
constexpr std::uint32_t kButtonVCenter = 0xC00;      // BS_VCENTER
constexpr std::uint32_t kButtonMultiLine = 0x2000;   // BS_MULTILINE
constexpr std::uint32_t kDropDown = 0x2;             // CBS_DROPDOWN
constexpr std::uint32_t kSort = 0x100;               // CBS_SORT
constexpr std::uint32_t kTransparent = 0x20;         // WS_EX_TRANSPARENT
constexpr std::uint32_t kLayered = 0x80000;          // WS_EX_LAYERED
}  // namespace style

using NativeHandle = std::uintptr_t;  // an HWND as a number; 0 is no window

using ControlId = int;
constexpr ControlId kWindowItself = 0;  // binding source of the window's own events

enum class ControlKind {
  kTimer,             // no form; period in `timerPeriodMs`, enabled when created
  kTransparentLabel,  // erases nothing, draws its text only, still catches the mouse
  kLabel,             // static text with the button-face background; `style` may add a border
  kWebView,           // the WebBrowser control
  kCheckBox,
  kPushButton,
  kGroupFrame,
  kComboBox,
  kSlider,      // msctls_trackbar32
  kPictureBox,  // draws `picture` (a JPEG) at natural size from its top-left corner
};

enum class Frame {
  kNone,         // no caption, border or system menu
  kFixedDialog,  // fixed frame, title bar, close box only
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct SliderRange {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int lineSize = 1;
  int pageSize = 1;
  int tickFrequency = 1;
};

struct FontSpec {
  Text face;  // empty: the default GUI font
  int height = 0;
  int weight = 0;
};

struct ControlDefinition {
  ControlId id = 0;
  ControlKind kind = ControlKind::kLabel;
  Bounds bounds;                        // in the client pixels of the window or of `container`
  ControlId container = kWindowItself;  // a group frame holding the control
  Text text;
  std::uint32_t style = 0;  // kind-specific style bits beyond WS_CHILD/WS_VISIBLE/WS_TABSTOP
  std::uint32_t exStyle = 0;
  bool visible = true;
  bool tabStop = false;
  FontSpec font;
  int timerPeriodMs = 0;
  SliderRange slider;
  int listHeight = 0;      // combo box height with the list opened
  int extraRowHeight = 0;  // added to the platform's default list row height
  const Bytes* picture = nullptr;
};

struct MenuItemDefinition {
  Text text;  // "-" is a separator
  int depth = 0;
  bool hidden = false;
  bool checked = false;
};

struct WindowDefinition {
  Text caption;
  Frame frame = Frame::kNone;
  std::uint32_t style = 0;  // added to what the frame implies
  int width = 0;            // outer size
  int height = 0;
  int cornerEllipse = 0;  // > 0: a rounded-rectangle region with this ellipse
  bool showInTaskbar = false;
  bool alwaysOnTop = false;
  bool buttonFaceBackground = true;
  const Bytes* iconImage = nullptr;         // .ico file image for the big and small icons
  std::vector<ControlDefinition> controls;  // creation order = stacking order, first on top
  std::vector<MenuItemDefinition> menu;
};

enum class EventKind {
  kCreated,          // before the window is first shown
  kDestroying,       // the window is about to be destroyed
  kTrayIcon,         // trayKind
  kMenuCommand,      // source: index of the chosen item in the window's menu definition
  kPrivate,          // the window's own posted message (see Window::PostPrivate)
  kSessionEnding,    // the user logs off or shuts down: the process ends without WM_DESTROY
  kClicked,          // check box or push button
  kLeftPress,        // x, y, keys
  kRightPress,       // x, y, keys
  kRowChosen,        // combo list row chosen; runs after the choice has reached the edit text
  kPositionChanged,  // slider; value: position
  kTick,             // timer
};

class Window;

// What the user did to the notification icon: the kinds 1, 2 and 3 of a tray icon event.
enum class TrayIconKind {
  kNone = 0,
  kLeftClick = 1,
  kLeftDoubleClick = 2,
  kRightClick = 3,  // a right click or the context-menu key
};

// The modifier keys held down during a press.
struct ModifierKeys {
  bool control = false;
  bool shift = false;
  bool alt = false;

  bool operator==(const ModifierKeys& other) const {
    return control == other.control && shift == other.shift && alt == other.alt;
  }
};

struct Event {
  EventKind kind = EventKind::kCreated;
  Window* window = nullptr;  // the window that raised the event, valid during the handler
  ControlId source = kWindowItself;
  int value = 0;  // the slider position
  int x = 0;
  int y = 0;
  ModifierKeys keys;
  TrayIconKind trayKind = TrayIconKind::kNone;
};

Event MakeEvent(EventKind kind, ControlId source = kWindowItself, int value = 0);

struct EventBinding {
  EventKind kind;
  ControlId source;  // the control; kWindowItself for window events; the item for menus
  std::function<void(const Event&)> handler;
};

using EventBindings = std::vector<EventBinding>;

// A control of `kind` at `bounds`; every other field keeps its default.
ControlDefinition MakeControl(ControlId id, ControlKind kind, Bounds bounds, Text text = Text());

// A fixed dialog frame of the given caption and outer size, without controls yet.
WindowDefinition MakeFixedDialog(Text caption, int width, int height);

// The first binding that matches the event, or null.
const std::function<void(const Event&)>* FindHandler(const EventBindings& bindings,
                                                     const Event& event);

}  // namespace nimbrel
