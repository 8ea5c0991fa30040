#pragma once

#include "core/text.h"

namespace nimbrel {

// Start at logon through the Run key of the registry.
class Autorun {
 public:
  virtual ~Autorun() = default;
  // 1 when the value was written, else 0.
  virtual int RegisterAutorun(const Text& name, const Text& executablePath) = 0;
  // 1 when the Startup-folder shortcut was deleted, else 1 when a Run value was deleted,
  // else 0.
  virtual int UnregisterAutorun(const Text& name) = 0;
};

}  // namespace nimbrel
