#pragma once

// The thread's message loop with the program's keyboard rules: Esc closes the window it was
// pressed in, and the dialog frames get Tab navigation.

#include <functional>
#include <optional>

#include "platform/win32/window_registry.h"

namespace nimbrel::win32 {

// Runs until `finished` says so (asked before every message) or WM_QUIT arrives; in the
// second case gives WM_QUIT's exit code, which the caller re-posts if an outer loop runs.
std::optional<int> RunMessagesUntil(const WindowRegistry& registry,
                                    const std::function<bool()>& finished);

}  // namespace nimbrel::win32
