#include "dialogs/about_window.h"

#include "core/system_texts.h"
#include "dialogs/modal_window.h"

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
  ControlDefinition label =
      MakeControl(id, ControlKind::kTransparentLabel, bounds, std::move(text));
  if (bold) label.font = {kAboutBoldFace, kBoldHeight, kBoldWeight};
  return label;
}

}  // namespace

WindowDefinition Definition(const Bytes& banner) {
  WindowDefinition definition = MakeFixedDialog(kAboutCaption, 329, 230);

  // Wider than the window: only its top and bottom lines show.
  ControlDefinition frame = MakeControl(kFrameLabel, ControlKind::kLabel, {-8, 77, 344, 72});
  frame.style = style::kBorder;

  ControlDefinition ok =
      MakeControl(kOkButton, ControlKind::kPushButton, {253, 158, 61, 31}, kAboutOkButton);
  ok.style =
      style::kPushButton | style::kButtonCenter | style::kButtonVCenter | style::kButtonMultiLine;
  ok.tabStop = true;

  ControlDefinition picture = MakeControl(kBanner, ControlKind::kPictureBox, {-4, -75, 400, 153});
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

void AboutWindow::OpenAboutWindow() {
  if (!closing_ && BringForwardIfOpen(window_.get())) return;
  if (closing_ && window_ && window_->IsOpen())
    OnCloseRequestArrived();  // the pending close comes first
  closing_ = false;
  window_ = desktop_.CreateWindowFrom(Definition(banner_), Bindings());
  if (!window_) return;
  ShowModal(window_);
}

EventBindings AboutWindow::Bindings() {
  return {
      {EventKind::kCreated, kWindowItself,
       [this](const Event& event) { OnAboutWindowCreated(*event.window); }},
      {EventKind::kClicked, kOkButton, [this](const Event&) { OnAboutOkClicked(); }},
      {EventKind::kDestroying, kWindowItself, [this](const Event&) { OnAboutWindowDestroying(); }},
      {EventKind::kPrivate, kWindowItself, [this](const Event&) { OnCloseRequestArrived(); }},
  };
}

void AboutWindow::OnAboutWindowCreated(Window& window) {
  window.SetTopmost(true);
}

void AboutWindow::OnAboutOkClicked() {
  CloseAboutWindow();
}

void AboutWindow::OnAboutWindowDestroying() {
  CloseAboutWindow();
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
