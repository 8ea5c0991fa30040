#include "dialogs/settings_window.h"

#include "core/conversions.h"
#include "core/system_texts.h"
#include "dialogs/modal_window.h"

namespace nimbrel {

using namespace settings_window;

namespace settings_window {
namespace {

ControlDefinition CheckBox(ControlId id, Bounds bounds, Text text) {
  ControlDefinition check = MakeControl(id, ControlKind::kCheckBox, bounds, std::move(text));
  check.style = style::kAutoCheckBox | style::kButtonMultiLine;
  check.tabStop = true;
  return check;
}

ControlDefinition Group(ControlId id, Bounds bounds, Text caption) {
  return MakeControl(id, ControlKind::kGroupFrame, bounds, std::move(caption));
}

ControlDefinition Combo(ControlId id, Bounds bounds, bool sorted) {
  ControlDefinition combo = MakeControl(id, ControlKind::kComboBox, bounds);
  combo.container = kCityGroup;
  combo.style = style::kDropDown | (sorted ? style::kSort : 0);
  combo.tabStop = true;
  combo.listHeight = 160;
  combo.extraRowHeight = 1;
  return combo;
}

ControlDefinition Slider(ControlId id, ControlId group, SliderRange range) {
  ControlDefinition slider = MakeControl(id, ControlKind::kSlider, {10, 14, 160, 24});
  slider.container = group;
  slider.tabStop = true;
  slider.slider = range;
  return slider;
}

}  // namespace

WindowDefinition Definition() {
  WindowDefinition definition = MakeFixedDialog(kSettingsCaption, 205, 213);

  ControlDefinition valueLabel =
      MakeControl(kTransparencyValueLabel, ControlKind::kLabel, {74, 40, 28, 17});
  valueLabel.container = kTransparencyGroup;

  definition.controls = {
      CheckBox(kAutorunCheck, {10, 10, 136, 24}, kSettingsAutorunCheck),
      CheckBox(kTrayCheck, {10, 34, 136, 24}, kSettingsTrayCheck),
      Group(kCityGroup, {10, 58, 180, 48}, kSettingsCityGroup),
      Combo(kProvinceCombo, {8, 20, 80, 20}, true),
      Combo(kCityCombo, {93, 20, 80, 20}, false),
      Group(kTransparencyGroup, {10, 112, 180, 64}, kSettingsTransparencyGroup),
      Slider(kTransparencySlider, kTransparencyGroup, {50, 255, 255, 10, 5, 10}),
      valueLabel,
      // Below the window's bottom edge: never seen and without effect.
      Group(kZoomGroup, {10, 308, 180, 48}, kSettingsZoomGroup),
      Slider(kZoomSlider, kZoomGroup, {1, 10, 1, 1, 5, 1}),
  };
  return definition;
}

}  // namespace settings_window

void SettingsWindow::OpenSettingsWindow() {
  if (BringForwardIfOpen(window_.get())) return;
  window_ = services_.desktop.CreateWindowFrom(Definition(), Bindings());
  if (!window_) return;
  RunCreationSteps(*window_);
  ShowModal(window_);
}

EventBindings SettingsWindow::Bindings() {
  return {
      {EventKind::kClicked, kAutorunCheck,
       [this](const Event& event) { OnAutorunClicked(*event.window); }},
      {EventKind::kClicked, kTrayCheck,
       [this](const Event& event) { OnTrayClicked(*event.window); }},
      {EventKind::kRowChosen, kProvinceCombo,
       [this](const Event& event) { OnProvinceChosen(*event.window); }},
      {EventKind::kRowChosen, kCityCombo,
       [this](const Event& event) { OnCityChosen(*event.window); }},
      {EventKind::kPositionChanged, kTransparencySlider,
       [this](const Event& event) { OnTransparencyChanged(*event.window, event.value); }},
  };
}

void SettingsWindow::RunCreationSteps(Window& window) {
  const WidgetSettings& settings = services_.settings;
  window.SetTopmost(true);
  if (IsFlagOn(settings.systemStartup)) window.SetChecked(kAutorunCheck, true);
  if (IsFlagOn(settings.tray)) window.SetChecked(kTrayCheck, true);
  window.SetText(kProvinceCombo, settings.province);
  window.SetText(kCityCombo, settings.city);
  window.SetSliderPosition(kTransparencySlider, TextToInteger(settings.transparent));
  for (const Text& province : services_.catalogue.ReadProvinceNames()) {
    window.AddListRow(kProvinceCombo, province);
  }
  for (const Text& city : services_.catalogue.ReadCityNames(settings.province, kDefaultProvince)) {
    window.AddListRow(kCityCombo, city);
  }
  // The stored text itself, which may lie outside what the slider can show.
  window.SetText(kTransparencyValueLabel, settings.transparent);
}

void SettingsWindow::OnAutorunClicked(Window& window) {
  if (window.Checked(kAutorunCheck)) {
    services_.autorun.RegisterAutorun(services_.autorunName, services_.autorunCommand);
    services_.settings.systemStartup = kFlagOn;
  } else {
    services_.autorun.UnregisterAutorun(services_.autorunName);
    services_.settings.systemStartup = kFlagOff;
  }
}

void SettingsWindow::OnTrayClicked(Window& window) {
  if (window.Checked(kTrayCheck)) {
    services_.settings.tray = kFlagOn;
    services_.showTrayIcon();
  } else {
    services_.settings.tray = kFlagOff;
    services_.removeTrayIcon();
  }
}

void SettingsWindow::OnProvinceChosen(Window& window) {
  const Text province = window.GetText(kProvinceCombo);
  window.ResetList(kCityCombo);
  for (const Text& city : services_.catalogue.ReadCityNames(province, Text())) {
    window.AddListRow(kCityCombo, city);
  }
  window.SetText(kCityCombo, services_.catalogue.ReadFirstCity(province));
  services_.settings.province = window.GetText(kProvinceCombo);
  services_.settings.city = window.GetText(kCityCombo);
  services_.showWeather();
}

void SettingsWindow::OnCityChosen(Window& window) {
  services_.settings.province = window.GetText(kProvinceCombo);
  services_.settings.city = window.GetText(kCityCombo);
  services_.showWeather();
}

void SettingsWindow::OnTransparencyChanged(Window& window, int position) {
  Text& transparent = services_.settings.transparent;
  transparent = IntegerToText(position);
  window.SetText(kTransparencyValueLabel, transparent);
  services_.desktop.ApplyTransparency(services_.mainWindow().WindowHandle(),
                                      TextToInteger(transparent));
}

}  // namespace nimbrel
