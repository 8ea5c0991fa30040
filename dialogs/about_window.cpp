#include "dialogs/about_window.h"

#include "core/system_texts.h"

namespace nimbrel {

using namespace about_window;

namespace about_window {
namespace {

// The contact details; each fits its label at the bold or GUI font.
const Text kContactAddress = "hi@nimb.re";
const Text kMessengerNumber = "2612110";

constexpr int kBoldHeight = -12;
constexpr int kBoldWeight = 700;

ControlDefinition Label(ControlId id, Bounds bounds, Text text, bool bold) {
  ControlDefinition label;
  label.id = id;
  label.kind = ControlKind::kTransparentLabel;
  label.bounds = bounds;
  label.text = std::move(text);
  if (bold) label.font = {kAboutBoldFace, kBoldHeight, kBoldWeight};
  return label;
}

}  // namespace

WindowDefinition Definition(const Bytes& banner) {
  WindowDefinition definition;
  definition.caption = kAboutCaption;
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
  ok.text = kAboutOkButton;
  ok.style =
      style::kPushButton | style::kButtonCenter | style::kButtonVCenter | style::kButtonMultiLine;
  ok.tabStop = true;

  ControlDefinition picture;
  picture.id = kBanner;
  picture.kind = ControlKind::kPictureBox;
  picture.bounds = {-4, -75, 400, 153};
  picture.picture = &banner;

  definition.controls = {
      Label(kNoteLabel, {40, 88, 248, 24}, kAboutNote, false),
      Label(kContactLabel, {30, 118, 267, 25}, kAboutContactPrompt + kContactAddress, false),
      Label(kMessengerLabel, {122, 160, 96, 24}, kAboutMessengerPrefix + kMessengerNumber, true),
      Label(kAuthorLabel, {16, 160, 96, 24}, kAboutAuthorPrefix + Text(kAboutAuthorName), true),
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
