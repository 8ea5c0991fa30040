#pragma once

// Start at logon through the Run key: the machine's when it may be written, else the user's.

#include <windows.h>

#include "platform/autorun.h"

namespace nimbrel::win32 {

// The two registry roots the Run key is looked for under; tests give keys of their own.
struct AutorunRoots {
  HKEY machine = HKEY_LOCAL_MACHINE;
  HKEY user = HKEY_CURRENT_USER;
};

inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Win32Autorun final : public Autorun {
 public:
  explicit Win32Autorun(AutorunRoots roots = {}) : roots_(roots) {}

  int RegisterAutorun(const Text& name, const Text& executablePath) override;
  int UnregisterAutorun(const Text& name) override;

 private:
  AutorunRoots roots_;
};

}  // namespace nimbrel::win32
