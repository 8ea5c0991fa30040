#pragma once

// Profile files through kernel32 itself.

#include "core/profile_store.h"

namespace nimbrel::win32 {

class Win32ProfileStore final : public ProfileStore {
 public:
  Text ReadString(const Text& file, const Text& section, const Text& key,
                  const Text& fallback) const override;
  bool WriteString(const Text& file, const Text& section, const Text& key,
                   const Text& value) override;
};

}  // namespace nimbrel::win32
