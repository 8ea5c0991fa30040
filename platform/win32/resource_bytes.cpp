#include "platform/win32/resource_bytes.h"

#include <windows.h>

namespace nimbrel::win32 {

Bytes LoadResourceBytes(int resourceId) {
  // Resources live in the image itself: nothing here needs releasing.
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(nullptr, found);
  if (!bytes || size == 0) return {};
  return Bytes(bytes, bytes + size);
}

}  // namespace nimbrel::win32
