#pragma once

#include <memory>

#include "dialogs/dialog_services.h"
#include "platform/window_definition.h"

namespace nimbrel {

namespace settings_window {

enum Control : ControlId {
  kAutorunCheck = 1,
  kTrayCheck,
  kCityGroup,
  kProvinceCombo,
  kCityCombo,
  kTransparencyGroup,
  kTransparencySlider,
  kTransparencyValueLabel,
  kZoomGroup,
  kZoomSlider,
};

WindowDefinition Definition();

}  // namespace settings_window

// The modal "系统设置" window. Every change takes effect at once; there is nothing to confirm
// or cancel, and closing it keeps every change.
class SettingsWindow {
 public:
  explicit SettingsWindow(DialogServices services) : services_(std::move(services)) {}

  // Returns once the window has closed, or at once when it is open already.
  void OpenSettingsWindow();

 private:
  EventBindings Bindings();
  void RunCreationSteps(Window& window);
  void OnAutorunClicked(Window& window);
  void OnTrayClicked(Window& window);
  void OnProvinceChosen(Window& window);
  void OnCityChosen(Window& window);
  void OnTransparencyChanged(Window& window, int position);

  DialogServices services_;
  std::shared_ptr<Window> window_;
};

}  // namespace nimbrel
