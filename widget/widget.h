#pragma once

#include <memory>

#include "core/profile_store.h"
#include "core/region_catalogue.h"
#include "core/widget_settings.h"
#include "dialogs/about_window.h"
#include "dialogs/settings_window.h"
#include "platform/autorun.h"
#include "platform/desktop.h"
#include "platform/process.h"

namespace nimbrel {

struct PlatformServices {
  Desktop& desktop;
  Process& process;
  Autorun& autorun;
  ProfileStore& profile;
  Bytes iconImage;    // .ico file image of the program icon
  Bytes bannerImage;  // JPEG of the about window
};

// The program: start-up, the main window's handlers and the one way to end.
class Widget {
 public:
  explicit Widget(PlatformServices services);
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  // The start-up sequence followed by the message loop; the process ends through Process::Exit.
  [[noreturn]] void Run();

  void OnMainWindowCreated();
  void ApplySettingsAtStart();
  void ShowWeather();
  void ToggleTimedRefresh();
  void ToggleAlwaysOnTop();
  void ToggleDesktopEmbedding();
  void ToggleClickThrough();
  void OnOverlayLeftPress();
  void OnOverlayRightPress();
  void OnMainWindowTrayEvent(TrayIconKind kind);
  [[noreturn]] void OnMainWindowDestroying();
  [[noreturn]] void ExitProgram();

  const WidgetSettings& settings() const { return settings_; }
  Window* mainWindow() const { return main_; }

 private:
  [[noreturn]] void EndProgram(int exitCode);
  void ReleaseTexts();
  EventBindings MainWindowBindings();
  void RunMenuCommand(int item);
  NativeHandle MainHandle() const;
  void ShowTrayIcon();
  void RemoveTrayIconUnlessNeeded();
  DialogServices MakeDialogServices();

  PlatformServices services_;
  WidgetSettings settings_;
  Text programDirectory_;
  Text executableFileName_;
  Text autorunCommand_;  // ProgramDirectory + "\" + ExecutableFileName
  Text profilePath_;
  Text weatherBaseAddress_;
  RegionCatalogue catalogue_;
  std::shared_ptr<Window> mainWindow_;
  // Set by the created event, before CreateWindowFrom has returned mainWindow_.
  Window* main_ = nullptr;
  bool releaseTextsRegistered_ = false;
  SettingsWindow settingsWindow_;
  AboutWindow aboutWindow_;
};

}  // namespace nimbrel
