#include "platform/win32/win32_profile_store.h"

#include <windows.h>

#include <vector>

namespace nimbrel::win32 {

Text Win32ProfileStore::ReadString(const Text& file, const Text& section, const Text& key,
                                   const Text& fallback) const {
  std::vector<char> buffer(kValueBufferSize, '\0');
  const DWORD length =
      ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer.size()), file.c_str());
  return Text(buffer.data(), length);
}

bool Win32ProfileStore::WriteString(const Text& file, const Text& section, const Text& key,
                                    const Text& value) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

}  // namespace nimbrel::win32
