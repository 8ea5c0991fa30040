#include "platform/win32/win32_autorun.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/unique_handles.h"

namespace nimbrel::win32 {
namespace {

constexpr std::size_t kShortcutPathSize = MAX_PATH;
// SHCNE_DELETE | SHCNE_INTERRUPT and SHCNE_UPDATEDIR | SHCNE_INTERRUPT, with the path given
// as ANSI text and the notification delivered before the call returns.
constexpr LONG kShortcutDeleted = SHCNE_DELETE | SHCNE_INTERRUPT;
constexpr LONG kFolderUpdated = SHCNE_UPDATEDIR | SHCNE_INTERRUPT;
constexpr UINT kNotifyPathFlags = SHCNF_PATHA | SHCNF_FLUSH;

bool FileExists(const Text& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

// The shell splits an unquoted command line at its first blank.
Text CommandLineOf(const Text& path) {
  return path.find(' ') == Text::npos ? path : "\"" + path + "\"";
}

UniqueKey OpenRunKey(HKEY root) {
  HKEY key = nullptr;
  if (::RegOpenKeyA(root, kRunKeyPath, &key) != ERROR_SUCCESS) return UniqueKey();
  return UniqueKey(key);
}

bool WriteRunValue(HKEY root, const Text& name, const Text& command) {
  const UniqueKey key = OpenRunKey(root);
  if (!key) return false;
  const auto* data = reinterpret_cast<const BYTE*>(command.c_str());
  const auto size = static_cast<DWORD>(command.size() + 1);
  return ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, data, size) == ERROR_SUCCESS;
}

bool DeleteRunValue(HKEY root, const Text& name) {
  const UniqueKey key = OpenRunKey(root);
  return key && ::RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

// The path of the Startup-folder shortcut, when the folder is known and the path fits.
bool ShortcutPath(const Text& name, char (&path)[kShortcutPathSize]) {
  char folder[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE)) return false;
  const int length = std::snprintf(path, kShortcutPathSize, "%s\\%s.lnk", folder, name.c_str());
  return length >= 0 && static_cast<std::size_t>(length) < kShortcutPathSize;
}

// Deletes the shortcut and tells Explorer, which would otherwise keep showing it.
bool DeleteShortcut(char (&path)[kShortcutPathSize]) {
  const bool deleted = ::DeleteFileA(path) != FALSE;
  ::SHChangeNotify(kShortcutDeleted, kNotifyPathFlags, path, nullptr);
  if (char* lastSeparator = std::strrchr(path, '\\')) *lastSeparator = '\0';
  ::SHChangeNotify(kFolderUpdated, kNotifyPathFlags, path, nullptr);
  return deleted;
}

}  // namespace

int Win32Autorun::RegisterAutorun(const Text& name, const Text& executablePath) {
  if (!FileExists(executablePath)) return 0;
  const Text command = CommandLineOf(executablePath);
  // A standard user may not write the machine's key; the user's own always exists.
  if (WriteRunValue(roots_.machine, name, command)) return 1;
  return WriteRunValue(roots_.user, name, command) ? 1 : 0;
}

int Win32Autorun::UnregisterAutorun(const Text& name) {
  const bool machineDeleted = DeleteRunValue(roots_.machine, name);
  const bool userDeleted = DeleteRunValue(roots_.user, name);
  char path[kShortcutPathSize] = {};
  const bool shortcutDeleted = ShortcutPath(name, path) && DeleteShortcut(path);
  if (shortcutDeleted) return 1;
  return (machineDeleted || userDeleted) ? 1 : 0;
}

}  // namespace nimbrel::win32
