#pragma once

#include <functional>

#include "core/profile_store.h"
#include "core/text.h"

namespace nimbrel {

// The one live settings record: every persistent setting as the text stored in section "set".
struct WidgetSettings {
  Text province;
  Text city;
  Text systemStartup;
  Text tray;
  Text refresh;
  Text transparent;
  Text mousePenetrate;
  Text desktop;
  Text forme;
  Text top;
  Text left;
};

struct ScreenExtent {
  int width = 0;
  int height = 0;
};

// Whether the window, with its top-left corner at (left, top) in screen pixels, would overlap
// a monitor that exists.
using MonitorProbe = std::function<bool(int left, int top)>;

// Fills every field from the profile with its default. Unless the stored place puts the
// window on some monitor, it then pulls a stored edge that lies strictly beyond the primary
// screen back so that the window sits flush against that edge.
void LoadSettings(WidgetSettings& settings, const ProfileStore& store, const Text& profilePath,
                  ScreenExtent screen, ScreenExtent window, const MonitorProbe& onSomeMonitor);

// Writes the eleven keys of section "set" in their fixed order, changed or not.
void SaveSettings(const WidgetSettings& settings, ProfileStore& store, const Text& profilePath);

}  // namespace nimbrel
