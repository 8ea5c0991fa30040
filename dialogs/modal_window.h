#pragma once

#include <memory>

#include "platform/window.h"

namespace nimbrel {

// Shows a newly created secondary window and returns when its modal loop ends. The loop holds
// its own reference, so a handler may replace the owner's pointer to the window meanwhile.
inline void ShowModal(std::shared_ptr<Window> window) {
  window->Show();
  window->RunModal();
}

// An open window is brought forward rather than opened a second time.
inline bool BringForwardIfOpen(Window* window) {
  if (!window || !window->IsOpen()) return false;
  window->RestoreOrActivate();
  return true;
}

}  // namespace nimbrel
