#include "dialogs/about_window.h"

namespace nimbrel {

using namespace about_window;

namespace about_window {
namespace {

// The contact details; each fits its label at the bold or GUI font.
const Text kContactAddress = "hi@nimb.re";
const Text kAuthorName = "\xE1\xB0\xB4\xA8";  // 岚川
const Text kMessengerNumber = "2612110";

const Text kBoldFace = "\xCB\xCE\xCC\xE5";  // 宋体
constexpr int kBoldHeight = -12;
constexpr int kBoldWeight = 700;

ControlDefinition Label(ControlId id, Bounds bounds, Text text, bool bold) {
  ControlDefinition label;
  label.id = id;
  label.kind = ControlKind::kTransparentLabel;
  label.bounds = bounds;
  label.text = std::move(text);
  if (bold) label.font = {kBoldFace, kBoldHeight, kBoldWeight};
  return label;
}

}  // namespace

WindowDefinition Definition(const Bytes& banner) {
  WindowDefinition definition;
  definition.caption = "\xB9\xD8\xD3\xDA Nimbrel";  // 关于 Nimbrel
  definition.frame = Frame::kFixedDialog;
  definition.width = 329;
  definition.height = 230;

  ControlDefinition frame;
  frame.id = kFrameLabel;
  frame.kind = ControlKind::kLabel;
  frame.bounds = {-8, 77, 344, 72};  // wider than the window: only its top and bottom lines show
  frame.style = style::kBorder;

  ControlDefinition ok;
  ok.id = kOkButton;
  ok.kind = ControlKind::kPushButton;
  ok.bounds = {253, 158, 61, 31};
  ok.text = "\xC8\xB7\xB6\xA8";  // 确定
  ok.style =
      style::kPushButton | style::kButtonCenter | style::kButtonVCenter | style::kButtonMultiLine;
  ok.tabStop = true;

  ControlDefinition picture;
  picture.id = kBanner;
  picture.kind = ControlKind::kPictureBox;
  picture.bounds = {-4, -75, 400, 153};
  picture.picture = &banner;

  definition.controls = {
      // 本软件在开发以来还存在许多不足，请多见谅！
      Label(kNoteLabel, {40, 88, 248, 24},
            "\xB1\xBE\xC8\xED\xBC\xFE\xD4\xDA\xBF\xAA\xB7\xA2\xD2\xD4\xC0\xB4\xBB\xB9\xB4\xE6"
            "\xD4\xDA\xD0\xED\xB6\xE0\xB2\xBB\xD7\xE3\xA3\xAC\xC7\xEB\xB6\xE0\xBC\xFB\xC1\xC2"
            "\xA3\xA1",
            false),
      // 如果有意见或建议，请给我发邮件：
      Label(kContactLabel, {30, 118, 267, 25},
            "\xC8\xE7\xB9\xFB\xD3\xD0\xD2\xE2\xBC\xFB\xBB\xF2\xBD\xA8\xD2\xE9\xA3\xAC\xC7\xEB"
            "\xB8\xF8\xCE\xD2\xB7\xA2\xD3\xCA\xBC\xFE\xA3\xBA" +
                kContactAddress,
            false),
      Label(kMessengerLabel, {122, 160, 96, 24}, "QQ\xA3\xBA" + kMessengerNumber, true),  // QQ：
      Label(kAuthorLabel, {16, 160, 96, 24}, "\xD7\xF7\xD5\xDF\xA3\xBA" + kAuthorName,
            true),  // 作者：
      frame,
      ok,
      picture,
  };
  return definition;
}

}  // namespace about_window

void AboutWindow::Open() {
  if (window_ && window_->IsOpen()) {
    if (!closing_) {
      window_->RestoreOrActivate();
      return;
    }
    OnCloseRequestArrived();  // carry out the pending close first
  }
  closing_ = false;
  window_ = desktop_.CreateWindowFrom(Definition(banner_), Bindings());
  if (!window_) return;
  window_->Show();
  const std::shared_ptr<Window> modal = window_;
  modal->RunModal();
}

EventBindings AboutWindow::Bindings() {
  return {
      {EventKind::kCreated, kWindowItself,
       [](const Event& event) { event.window->SetTopmost(true); }},
      {EventKind::kClicked, kOkButton, [this](const Event&) { CloseAboutWindow(); }},
      {EventKind::kDestroying, kWindowItself, [this](const Event&) { CloseAboutWindow(); }},
      {EventKind::kPrivate, kWindowItself, [this](const Event&) { OnCloseRequestArrived(); }},
  };
}

void AboutWindow::CloseAboutWindow() {
  closing_ = true;
  window_->PostPrivate();
}

void AboutWindow::OnCloseRequestArrived() {
  closing_ = false;
  // Destroy gives the windows the modal loop disabled their enabled state back first.
  window_->Destroy();
}

}  // namespace nimbrel
