#include "core/widget_settings.h"

#include "core/conversions.h"
#include "core/profile_access.h"
#include "core/system_texts.h"

namespace nimbrel {
namespace {

constexpr char kSettingsSection[] = "set";

struct SettingKey {
  const char* key;
  const char* fallback;
  Text WidgetSettings::*field;
};

// Load and save order, keys and defaults; the order is also the order of a new file.
constexpr SettingKey kSettingKeys[] = {
    {"province", kDefaultProvince, &WidgetSettings::province},
    {"city", kDefaultCity, &WidgetSettings::city},
    {"system startup", "0", &WidgetSettings::systemStartup},
    {"tray", "1", &WidgetSettings::tray},
    {"refresh", "0", &WidgetSettings::refresh},
    {"transparent", "200", &WidgetSettings::transparent},
    {"mouse penetrate", "0", &WidgetSettings::mousePenetrate},
    {"desktop", "0", &WidgetSettings::desktop},
    {"forme", "0", &WidgetSettings::forme},
    {"top", "", &WidgetSettings::top},
    {"left", "", &WidgetSettings::left},
};

// Only an edge strictly past the far side is pulled back; the subtraction is done in double
// precision as the stored text is formatted from a double.
void KeepEdgeOnScreen(Text& edge, int screenSize, int windowSize) {
  if (TextToInteger(edge) > screenSize) {
    edge = RealToText(static_cast<double>(screenSize) - static_cast<double>(windowSize));
  }
}

}  // namespace

void LoadSettings(WidgetSettings& settings, const ProfileStore& store, const Text& profilePath,
                  ScreenExtent screen, ScreenExtent window, const MonitorProbe& onSomeMonitor) {
  for (const SettingKey& entry : kSettingKeys) {
    settings.*entry.field =
        ReadProfileValue(store, profilePath, kSettingsSection, entry.key, entry.fallback);
  }
  // A place on a monitor beside or below the primary one is where the user left the widget;
  // on the primary monitor no edge lies past the screen, so nothing would change anyway.
  if (onSomeMonitor(TextToInteger(settings.left), TextToInteger(settings.top))) return;
  KeepEdgeOnScreen(settings.top, screen.height, window.height);
  KeepEdgeOnScreen(settings.left, screen.width, window.width);
}

void SaveSettings(const WidgetSettings& settings, ProfileStore& store, const Text& profilePath) {
  for (const SettingKey& entry : kSettingKeys) {
    WriteProfileValue(store, profilePath, kSettingsSection, entry.key, settings.*entry.field);
  }
}

}  // namespace nimbrel
