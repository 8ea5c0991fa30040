#include "widget/widget.h"

#include <cstdlib>

#include "core/conversions.h"
#include "core/profile_access.h"
#include "core/system_texts.h"
#include "widget/main_window.h"
#include "widget/weather_page.h"

namespace nimbrel {
namespace {

const Text kProgramName = "Nimbrel";
constexpr int kCreationFailedExitCode = -1;

using namespace main_window;

}  // namespace

Widget::Widget(PlatformServices services)
    : services_(std::move(services)),
      programDirectory_(ProgramDirectory(services_.process.ModulePath())),
      executableFileName_(ExecutableFileName(services_.process.ModulePath())),
      autorunCommand_(programDirectory_ + "\\" + executableFileName_),
      profilePath_(ProfilePath(programDirectory_)),
      catalogue_(services_.profile, profilePath_),
      settingsWindow_(MakeDialogServices()),
      aboutWindow_(services_.desktop, services_.bannerImage) {}

void Widget::Run() {
  Process& process = services_.process;
  // A second widget would show a second icon and overwrite this one's settings at exit.
  if (!process.ClaimSingleInstance()) process.Exit(0);

  process.InitializeOle();
  process.SetCurrentDirectory(programDirectory_);
  services_.desktop.CreateOwnerToolWindow();
  releaseTextsRegistered_ = true;
  weatherBaseAddress_ = ReadWeatherBaseAddress(services_.profile, profilePath_);

  mainWindow_ =
      services_.desktop.CreateWindowFrom(Definition(services_.iconImage), MainWindowBindings());
  if (!mainWindow_) {
    process.ShowErrorMessage(kCreationFailedMessage);
    process.Exit(kCreationFailedExitCode);
  }
  main_->Show();
  services_.desktop.RunMessageLoop();
  // The loop only ends on WM_QUIT, which the program itself never posts; end cleanly anyway.
  ExitProgram();
}

EventBindings Widget::MainWindowBindings() {
  EventBindings bindings = {
      {EventKind::kCreated, kWindowItself,
       [this](const Event& event) {
         main_ = event.window;
         OnMainWindowCreated();
       }},
      {EventKind::kDestroying, kWindowItself, [this](const Event&) { OnMainWindowDestroying(); }},
      // Windows ends the process after a logoff without destroying the windows.
      {EventKind::kSessionEnding, kWindowItself, [this](const Event&) { ExitProgram(); }},
      {EventKind::kTrayIcon, kWindowItself,
       [this](const Event& event) { OnMainWindowTrayEvent(event.trayKind); }},
      {EventKind::kLeftPress, kOverlayLabel, [this](const Event&) { OnOverlayLeftPress(); }},
      {EventKind::kRightPress, kOverlayLabel, [this](const Event&) { OnOverlayRightPress(); }},
      {EventKind::kTick, kRefreshTimer, [this](const Event&) { ShowWeather(); }},
  };
  for (int item = kManualRefresh; item <= kExit; ++item) {
    bindings.push_back(
        {EventKind::kMenuCommand, item, [this, item](const Event&) { RunMenuCommand(item); }});
  }
  return bindings;
}

void Widget::RunMenuCommand(int item) {
  switch (item) {
    case kManualRefresh:
      return ShowWeather();
    case kTimedRefresh:
      return ToggleTimedRefresh();
    case kAlwaysOnTop:
      return ToggleAlwaysOnTop();
    case kClickThrough:
      return ToggleClickThrough();
    case kDesktopEmbedding:
      return ToggleDesktopEmbedding();
    case kSystemSettings:
      return settingsWindow_.OpenSettingsWindow();
    case kAbout:
      return aboutWindow_.OpenAboutWindow();
    case kExit:
      ExitProgram();
    default:
      return;
  }
}

DialogServices Widget::MakeDialogServices() {
  return DialogServices{
      services_.desktop,
      services_.autorun,
      catalogue_,
      settings_,
      kProgramName,
      autorunCommand_,
      [this]() -> Window& { return *main_; },
      [this] { ShowWeather(); },
      [this] { ShowTrayIcon(); },
      [this] { RemoveTrayIconUnlessNeeded(); },
  };
}

NativeHandle Widget::MainHandle() const {
  return main_->WindowHandle();
}

void Widget::OnMainWindowCreated() {
  const ScreenSizePixels screen = services_.desktop.ScreenSize();
  const ScreenExtent window{main_->GetWindowWidth(), main_->GetWindowHeight()};
  const Desktop& desktop = services_.desktop;
  LoadSettings(settings_, services_.profile, profilePath_, {screen.width, screen.height}, window,
               [&desktop, window](int left, int top) {
                 return desktop.OverlapsAMonitor({left, top, window.width, window.height});
               });
  ApplySettingsAtStart();
}

void Widget::ApplySettingsAtStart() {
  Window& window = *main_;
  for (int item : {kAlwaysOnTop, kClickThrough, kDesktopEmbedding, kTimedRefresh}) {
    window.SetMenuChecked(item, false);
  }
  window.EnableTimer(kRefreshTimer, false);
  if (IsFlagOn(settings_.systemStartup)) {
    services_.autorun.RegisterAutorun(kProgramName, autorunCommand_);
  }
  if (IsFlagOff(settings_.systemStartup)) services_.autorun.UnregisterAutorun(kProgramName);
  if (IsFlagOn(settings_.tray)) ShowTrayIcon();
  services_.desktop.ApplyTransparency(MainHandle(), TextToInteger(settings_.transparent));
  if (IsFlagOn(settings_.forme) && IsFlagOff(settings_.desktop)) {
    window.SetTopmost(true);
    window.SetMenuChecked(kAlwaysOnTop, true);
  }
  if (IsFlagOff(settings_.forme) && IsFlagOn(settings_.desktop)) {
    services_.desktop.SetWindowParent(MainHandle(), services_.desktop.FindDesktopHost());
    window.SetMenuChecked(kDesktopEmbedding, true);
  }
  if (IsFlagOn(settings_.refresh)) {
    window.EnableTimer(kRefreshTimer, true);
    window.SetMenuChecked(kTimedRefresh, true);
  }
  if (IsFlagOn(settings_.mousePenetrate)) {
    // After the transparency: ApplyTransparency replaces the whole extended style.
    services_.desktop.SetExStyle(MainHandle(), services_.desktop.GetExStyle(MainHandle()) |
                                                   style::kTransparent | style::kLayered);
    window.SetMenuChecked(kClickThrough, true);
    // With the mouse passing through, the icon is the only way left to the menu.
    if (!window.HasTrayIcon()) ShowTrayIcon();
  }
  window.SetWindowTop(TextToInteger(settings_.top));
  window.SetWindowLeft(TextToInteger(settings_.left));
  if (!settings_.city.empty()) ShowWeather();
}

void Widget::ShowWeather() {
  main_->SetWebAddress(kWebView, BuildWeatherPageAddress(weatherBaseAddress_, settings_.city));
}

void Widget::ToggleTimedRefresh() {
  Window& window = *main_;
  const bool switchOn = !window.MenuChecked(kTimedRefresh);
  window.SetMenuChecked(kTimedRefresh, switchOn);
  settings_.refresh = switchOn ? kFlagOn : kFlagOff;
  window.EnableTimer(kRefreshTimer, switchOn);
}

void Widget::ToggleAlwaysOnTop() {
  Window& window = *main_;
  if (window.MenuChecked(kAlwaysOnTop)) {
    window.SetTopmost(false);
    window.SetMenuChecked(kAlwaysOnTop, false);
    settings_.forme = kFlagOff;
    return;
  }
  services_.desktop.SetWindowParent(MainHandle(), 0);
  window.SetMenuChecked(kAlwaysOnTop, true);
  window.SetTopmost(true);
  window.SetMenuChecked(kDesktopEmbedding, false);
  settings_.forme = kFlagOn;
  settings_.desktop = kFlagOff;
}

void Widget::ToggleDesktopEmbedding() {
  Window& window = *main_;
  if (window.MenuChecked(kDesktopEmbedding)) {
    services_.desktop.SetWindowParent(MainHandle(), 0);
    window.SetMenuChecked(kDesktopEmbedding, false);
    settings_.desktop = kFlagOff;
    return;
  }
  window.SetTopmost(false);
  const NativeHandle host = services_.desktop.FindDesktopHost();
  services_.desktop.SetWindowParent(MainHandle(), host);
  window.SetMenuChecked(kDesktopEmbedding, true);
  window.SetMenuChecked(kAlwaysOnTop, false);
  settings_.forme = kFlagOff;
  settings_.desktop = kFlagOn;
}

void Widget::ToggleClickThrough() {
  Window& window = *main_;
  Desktop& desktop = services_.desktop;
  if (window.MenuChecked(kClickThrough)) {
    window.SetMenuChecked(kClickThrough, false);
    settings_.mousePenetrate = kFlagOff;
    desktop.SetExStyle(MainHandle(), 0);
    desktop.ApplyTransparency(MainHandle(), TextToInteger(settings_.transparent));
    RemoveTrayIconUnlessNeeded();
    return;
  }
  desktop.SetExStyle(MainHandle(),
                     desktop.GetExStyle(MainHandle()) | style::kTransparent | style::kLayered);
  window.SetMenuChecked(kClickThrough, true);
  settings_.mousePenetrate = kFlagOn;
  if (!window.HasTrayIcon()) ShowTrayIcon();
}

void Widget::ShowTrayIcon() {
  main_->ShowTrayIcon(services_.iconImage, kProgramName);
}

void Widget::RemoveTrayIconUnlessNeeded() {
  if (IsFlagOn(settings_.tray) || main_->MenuChecked(kClickThrough)) return;
  main_->RemoveTrayIcon();
}

void Widget::OnOverlayLeftPress() {
  Window& window = *main_;
  window.BeginWindowDrag();
  settings_.top = IntegerToText(window.GetWindowTop());
  settings_.left = IntegerToText(window.GetWindowLeft());
}

void Widget::OnOverlayRightPress() {
  main_->PopupMenuAtCursor(kConfigMenu);
}

// Every kind of click opens the menu.
void Widget::OnMainWindowTrayEvent(TrayIconKind) {
  main_->PopupMenuAtCursor(kConfigMenu);
}

void Widget::OnMainWindowDestroying() {
  ExitProgram();
}

void Widget::ExitProgram() {
  SaveSettings(settings_, services_.profile, profilePath_);
  main_->RemoveTrayIcon();
  EndProgram(0);
}

void Widget::EndProgram(int exitCode) {
  services_.desktop.CloseHandlerGate();
  if (releaseTextsRegistered_) ReleaseTexts();
  releaseTextsRegistered_ = false;
  services_.desktop.DestroyAllWindows();
  services_.process.UninitializeOle();
  services_.process.Exit(exitCode);
  std::abort();  // Exit does not return; the compiler cannot see that through the interface
}

void Widget::ReleaseTexts() {
  settings_ = WidgetSettings();
}

}  // namespace nimbrel
