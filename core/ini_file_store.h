#pragma once

#include "core/profile_store.h"

namespace nimbrel {

// A profile store of our own with kernel32's rules, for systems without the profile API and
// for tests. Unlike kernel32 it replaces the file atomically (a temporary file renamed over
// it), so a crash in the middle of a save can never leave a truncated boot.ini behind. A
// UTF-16 file is left alone: it reads as absent and is never rewritten in ANSI bytes.
class IniFileStore final : public ProfileStore {
 public:
  Text ReadString(const Text& file, const Text& section, const Text& key,
                  const Text& fallback) const override;
  bool WriteString(const Text& file, const Text& section, const Text& key,
                   const Text& value) override;
};

}  // namespace nimbrel
