#pragma once

// The process-wide services: the single-instance claim, OLE, paths and the error box.

// windows.h turns SetCurrentDirectory into SetCurrentDirectoryA. It has to be in force before
// the interface is read, so that the interface's method and this override are renamed alike
// (the portable callers, without windows.h, reach the same virtual slot by its own name).
#include <windows.h>

#include "platform/process.h"
#include "platform/win32/unique_handles.h"

namespace nimbrel::win32 {

class Win32Process final : public Process {
 public:
  bool ClaimSingleInstance() override;
  void InitializeOle() override;
  void UninitializeOle() override;
  Text ModulePath() const override;
  void SetCurrentDirectory(const Text& directory) override;
  void ShowErrorMessage(const Text& message) override;
  [[noreturn]] void Exit(int exitCode) override;

 private:
  // Held for the process's life: while it is open, a second instance finds the name taken.
  UniqueKernelHandle instanceMutex_;
};

}  // namespace nimbrel::win32
