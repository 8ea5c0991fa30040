#pragma once

#include "platform/window_definition.h"

namespace nimbrel::main_window {

enum Control : ControlId {
  kRefreshTimer = 1,
  kOverlayLabel,
  kWebView,
};

// Indices into the window's menu definition; kConfigMenu is the hidden top-level entry whose
// children make up the popup.
enum MenuItem : int {
  kConfigMenu = 0,
  kManualRefresh,
  kTimedRefresh,
  kFirstSeparator,
  kAlwaysOnTop,
  kClickThrough,
  kDesktopEmbedding,
  kSecondSeparator,
  kSystemSettings,
  kAbout,
  kThirdSeparator,
  kExit,
};

constexpr int kWidth = 258;
constexpr int kHeight = 194;
constexpr int kRefreshPeriodMs = 300000;

// The widget window: frameless, rounded, owned by the tool window, filled by the web view
// with an invisible label on top that catches every press.
WindowDefinition Definition(const Bytes& iconImage);

}  // namespace nimbrel::main_window
