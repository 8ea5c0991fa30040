#include "widget/main_window.h"

#include <algorithm>

namespace nimbrel::main_window {
namespace {

// The corner ellipse is a fifth of the shorter side.
constexpr int kCornerEllipse = std::min(kWidth / 5, kHeight / 5);

std::vector<ControlDefinition> Controls() {
  ControlDefinition timer;
  timer.id = kRefreshTimer;
  timer.kind = ControlKind::kTimer;
  timer.visible = false;
  timer.timerPeriodMs = kRefreshPeriodMs;

  // Larger than the window on every side so that no press can slip past it to the page.
  ControlDefinition overlay;
  overlay.id = kOverlayLabel;
  overlay.kind = ControlKind::kTransparentLabel;
  overlay.bounds = {-24, -24, 336, 240};
  overlay.style = style::kClipSiblings;
  overlay.exStyle = style::kTransparent;

  // Overhangs the window so that the browser's own border stays out of sight.
  ControlDefinition webView;
  webView.id = kWebView;
  webView.kind = ControlKind::kWebView;
  webView.bounds = {-3, -3, 264, 199};
  webView.tabStop = true;

  return {timer, overlay, webView};
}

std::vector<MenuItemDefinition> Menu() {
  return {
      {"\xC5\xE4\xD6\xC3", 0, true, false},                   // 配置
      {"\xCA\xD6\xB6\xAF\xCB\xA2\xD0\xC2", 1, false, false},  // 手动刷新
      {"\xB6\xA8\xCA\xB1\xCB\xA2\xD0\xC2", 1, false, true},   // 定时刷新
      {"-", 1, false, false},
      {"\xD7\xDC\xCA\xC7\xD7\xEE\xC7\xB0", 1, false, true},  // 总是最前
      {"\xCA\xF3\xB1\xEA\xB4\xA9\xCD\xB8", 1, false, true},  // 鼠标穿透
      {"\xC7\xB6\xC8\xEB\xD7\xC0\xC3\xE6", 1, false, true},  // 嵌入桌面
      {"-", 1, false, false},
      {"\xCF\xB5\xCD\xB3\xC9\xE8\xD6\xC3", 1, false, false},  // 系统设置
      {"\xB9\xD8\xD3\xDA...", 1, false, false},               // 关于...
      {"-", 1, false, false},
      {"\xCD\xCB\xB3\xF6(X)", 1, false, false},  // 退出(X)
  };
}

}  // namespace

WindowDefinition Definition(const Bytes& iconImage) {
  WindowDefinition definition;
  definition.frame = Frame::kNone;
  definition.style = style::kClipChildren | style::kClipSiblings;
  definition.width = kWidth;
  definition.height = kHeight;
  definition.cornerEllipse = kCornerEllipse;
  definition.iconImage = &iconImage;
  definition.controls = Controls();
  definition.menu = Menu();
  return definition;
}

}  // namespace nimbrel::main_window
