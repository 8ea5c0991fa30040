#pragma once

#include <functional>
#include <memory>

#include "core/region_catalogue.h"
#include "core/widget_settings.h"
#include "platform/autorun.h"
#include "platform/desktop.h"
#include "platform/window.h"

namespace nimbrel {

// What the secondary windows need of the widget; the widget fills it in.
struct DialogServices {
  Desktop& desktop;
  Autorun& autorun;
  const RegionCatalogue& catalogue;
  WidgetSettings& settings;
  Text autorunName;
  Text autorunCommand;
  std::function<Window&()> mainWindow;
  std::function<void()> showWeather;
  std::function<void()> showTrayIcon;
  // Removes the notification icon unless it is the only way left to reach the menu.
  std::function<void()> removeTrayIcon;
};

}  // namespace nimbrel
