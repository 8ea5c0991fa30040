#pragma once

#include "core/text.h"

namespace nimbrel {

// What the program needs of its process beyond windows.
class Process {
 public:
  virtual ~Process() = default;
  // False when another instance of the widget is already running.
  virtual bool ClaimSingleInstance() = 0;
  virtual void InitializeOle() = 0;
  virtual void UninitializeOle() = 0;
  // GetModuleFileNameA of the executable, at most 260 bytes.
  virtual Text ModulePath() const = 0;
  virtual void SetCurrentDirectory(const Text& directory) = 0;
  virtual void ShowErrorMessage(const Text& message) = 0;
  // Ends the process; does not return.
  [[noreturn]] virtual void Exit(int exitCode) = 0;
};

}  // namespace nimbrel
