#include "platform/win32/win32_process.h"

#include <windows.h>
#include <ole2.h>

#include <cstring>

namespace nimbrel::win32 {
namespace {

constexpr char kInstanceMutexName[] = "Local\\Nimbrel.Widget";
constexpr char kMessageCaption[] = "Nimbrel";
constexpr DWORD kModulePathBytes = 260;

}  // namespace

bool Win32Process::ClaimSingleInstance() {
  const HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
  // Read before anything else can overwrite it (closing a previous handle would).
  const DWORD error = ::GetLastError();
  instanceMutex_.reset(mutex);
  return error != ERROR_ALREADY_EXISTS;
}

void Win32Process::InitializeOle() {
  ::OleInitialize(nullptr);
}

void Win32Process::UninitializeOle() {
  ::OleUninitialize();
}

Text Win32Process::ModulePath() const {
  char path[kModulePathBytes] = {};
  ::GetModuleFileNameA(nullptr, path, kModulePathBytes);
  // A path that does not fit is cut, and older systems then leave out the final zero.
  return Text(path, ::strnlen(path, kModulePathBytes));
}

void Win32Process::SetCurrentDirectory(const Text& directory) {
  ::SetCurrentDirectoryA(directory.c_str());
}

void Win32Process::ShowErrorMessage(const Text& message) {
  ::MessageBoxA(nullptr, message.c_str(), kMessageCaption, MB_OK | MB_ICONERROR);
}

void Win32Process::Exit(int exitCode) {
  ::ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace nimbrel::win32
