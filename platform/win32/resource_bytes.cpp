#include "platform/win32/resource_bytes.h"

#include <windows.h>

#include <cstring>

namespace nimbrel::win32 {
namespace {

// Resources live in the image itself: nothing here needs releasing.
Bytes ResourceBytes(LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(nullptr, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(nullptr, found);
  if (!bytes || size == 0) return {};
  return Bytes(bytes, bytes + size);
}

// The .ico file layout, and the form the resource compiler gives its directory: the same
// entries, with the image's resource id in place of the image's file offset.
constexpr std::size_t kDirectoryHeaderBytes = 6;
constexpr std::size_t kFileEntryBytes = 16;
constexpr std::size_t kGroupEntryBytes = 14;
constexpr std::size_t kEntryFieldsBytes = 12;  // width .. image size, alike in both forms
constexpr std::size_t kCountOffset = 4;

unsigned ReadWord(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8);
}

void AppendDword(Bytes& bytes, std::size_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
  }
}

}  // namespace

Bytes LoadResourceBytes(int resourceId) {
  return ResourceBytes(MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
}

// The icon file is put back together from the group's directory and its images, in the
// directory's order, each image right after the one before: the layout of the file that
// went in, so the bytes are the file's own.
Bytes LoadIconFileImage(int groupId) {
  const Bytes group = ResourceBytes(MAKEINTRESOURCEA(groupId), MAKEINTRESOURCEA(14));
  if (group.size() < kDirectoryHeaderBytes) return {};
  const std::size_t count = ReadWord(&group[kCountOffset]);
  if (group.size() < kDirectoryHeaderBytes + count * kGroupEntryBytes) return {};
  Bytes file(group.begin(), group.begin() + kDirectoryHeaderBytes);
  Bytes images;
  std::size_t offset = kDirectoryHeaderBytes + count * kFileEntryBytes;
  for (std::size_t index = 0; index < count; ++index) {
    const unsigned char* entry = &group[kDirectoryHeaderBytes + index * kGroupEntryBytes];
    const Bytes image =
        ResourceBytes(MAKEINTRESOURCEA(ReadWord(entry + kEntryFieldsBytes)), MAKEINTRESOURCEA(3));
    if (image.empty()) return {};
    file.insert(file.end(), entry, entry + kEntryFieldsBytes);
    AppendDword(file, offset);
    offset += image.size();
    images.insert(images.end(), image.begin(), image.end());
  }
  file.insert(file.end(), images.begin(), images.end());
  return file;
}

}  // namespace nimbrel::win32
