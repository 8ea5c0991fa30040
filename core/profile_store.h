#pragma once

#include "core/text.h"

namespace nimbrel {

// The platform's profile (INI) file primitives, with the rules of kernel32's
// GetPrivateProfileStringA / WritePrivateProfileStringA: names match without regard to
// letter case; a missing file, section or key reads as the default; a value is trimmed of
// surrounding blanks and one pair of enclosing quotes; writing replaces a key where it
// stands, appends a new key to its section and a new section to the file.
class ProfileStore {
 public:
  // Values read are cut to this many bytes minus one, as with a buffer of this size.
  static constexpr std::size_t kValueBufferSize = 10240;

  virtual ~ProfileStore() = default;
  virtual Text ReadString(const Text& file, const Text& section, const Text& key,
                          const Text& fallback) const = 0;
  // Returns false when the file could not be written; the file is then unchanged.
  virtual bool WriteString(const Text& file, const Text& section, const Text& key,
                           const Text& value) = 0;
};

}  // namespace nimbrel
