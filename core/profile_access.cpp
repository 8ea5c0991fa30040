#include "core/profile_access.h"

namespace nimbrel {
namespace {

constexpr char kProfileFileName[] = "\\boot.ini";

Text SkipLeadingControlBytes(const Text& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x01 || byte > 0x20) break;
    ++i;
  }
  return text.substr(i);
}

// Index of the last backslash that is a character of its own, or npos.
std::size_t LastBackslash(const Text& path) {
  std::size_t last = Text::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte == '\\') {
      last = i;
    } else if (IsLeadByte(byte) && i + 1 < path.size()) {
      ++i;
    }
  }
  return last;
}

}  // namespace

Text ReadProfileValue(const ProfileStore& store, const Text& file, const Text& section,
                      const Text& key, const Text& fallback) {
  const Text f = SkipLeadingControlBytes(file);
  const Text s = SkipLeadingControlBytes(section);
  const Text k = SkipLeadingControlBytes(key);
  if (f.empty() || s.empty() || k.empty()) return Text();
  return store.ReadString(f, s, k, fallback);
}

void WriteProfileValue(ProfileStore& store, const Text& file, const Text& section, const Text& key,
                       const Text& value) {
  store.WriteString(file, section, key, value);
}

Text ProgramDirectory(const Text& modulePath) {
  const std::size_t cut = LastBackslash(modulePath);
  return cut == Text::npos ? Text() : modulePath.substr(0, cut);
}

Text ExecutableFileName(const Text& modulePath) {
  const std::size_t cut = LastBackslash(modulePath);
  return cut == Text::npos ? modulePath : modulePath.substr(cut + 1);
}

Text ProfilePath(const Text& programDirectory) {
  return programDirectory + kProfileFileName;
}

}  // namespace nimbrel
