#pragma once

#include "core/profile_store.h"
#include "core/text.h"

namespace nimbrel {

// One value of the profile file. Leading bytes 0x01..0x20 of file, section and key are
// skipped; when any of the three is then empty the file is not consulted and the result is
// the empty text (not the default).
Text ReadProfileValue(const ProfileStore& store, const Text& file, const Text& section,
                      const Text& key, const Text& fallback);

// Writes exactly what it is given; the outcome is deliberately not reported to callers.
void WriteProfileValue(ProfileStore& store, const Text& file, const Text& section, const Text& key,
                       const Text& value);

// The directory part of the executable's module path, without a trailing backslash; the
// search for the last backslash steps over double-byte characters, whose trail byte may be
// 0x5C. Empty when the path holds no backslash.
Text ProgramDirectory(const Text& modulePath);

// The file name after the last backslash, or the whole path when it holds none.
Text ExecutableFileName(const Text& modulePath);

Text ProfilePath(const Text& programDirectory);

}  // namespace nimbrel
