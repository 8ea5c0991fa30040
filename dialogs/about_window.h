#pragma once

#include <memory>

#include "platform/desktop.h"
#include "platform/window_definition.h"

namespace nimbrel {

namespace about_window {

enum Control : ControlId {
  kNoteLabel = 1,
  kContactLabel,
  kMessengerLabel,
  kAuthorLabel,
  kFrameLabel,
  kOkButton,
  kBanner,
};

WindowDefinition Definition(const Bytes& banner);

}  // namespace about_window

// The modal "关于 Nimbrel" window. It reads nothing, writes nothing and changes nothing.
class AboutWindow {
 public:
  AboutWindow(Desktop& desktop, const Bytes& banner) : desktop_(desktop), banner_(banner) {}

  // Returns once the window has closed, or at once when it is open already.
  void OpenAboutWindow();

 private:
  EventBindings Bindings();
  void OnAboutWindowCreated(Window& window);
  void OnAboutOkClicked();
  // The close it asks for finds no window any more: the window is being destroyed already.
  void OnAboutWindowDestroying();
  // Marks the window closing and posts the request, so that it is carried out only after the
  // handler that asked for it has returned.
  void CloseAboutWindow();
  void OnCloseRequestArrived();

  Desktop& desktop_;
  const Bytes& banner_;
  std::shared_ptr<Window> window_;
  bool closing_ = false;
};

}  // namespace nimbrel
