// TextToInteger against a reference written from its rule alone, and the split of a module
// path into ProgramDirectory and ExecutableFileName.

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "tests/fuzz/fuzz_support.h"
#include "core/conversions.h"
#include "core/profile_access.h"

namespace {

using nimbrel::Text;

bool IsLead(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

// Full-width forms narrowed as the rule says, character by character.
Text Narrow(const Text& text) {
  Text out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {
      out.push_back(text[i++]);
      continue;
    }
    if (i + 1 >= text.size()) break;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    i += 2;
    if (first == 0xA3 && second >= 0xA1 && second <= 0xFE) {
      out.push_back(static_cast<char>(second - 0x80));
    } else if (first == 0xA1 && second == 0xA1) {
      out.push_back(' ');
    } else if (first == 0xA1 && second == 0xAB) {
      out.push_back('~');
    } else if (first == 0xA1 && (second == 0xEE || second == 0xEF)) {
      out.push_back('*');
    } else {
      out.push_back(static_cast<char>(first));
      out.push_back(static_cast<char>(second));
    }
  }
  return out;
}

// The decimal reading of the narrowed text; nothing when it leaves the 32-bit range, where the
// result is not specified.
std::optional<std::int32_t> Reference(const Text& text) {
  const Text narrowed = Narrow(text);
  std::size_t i = 0;
  while (i < narrowed.size() && (narrowed[i] == ' ' || (narrowed[i] >= 9 && narrowed[i] <= 13))) {
    ++i;
  }
  int sign = 1;
  if (i < narrowed.size() && (narrowed[i] == '-' || narrowed[i] == '+')) {
    sign = narrowed[i] == '-' ? -1 : 1;
    ++i;
  }
  std::int64_t value = 0;
  for (; i < narrowed.size() && narrowed[i] >= '0' && narrowed[i] <= '9'; ++i) {
    value = value * 10 + (narrowed[i] - '0');
    if (value > std::int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  value *= sign;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

void CheckInteger(const Text& text) {
  const std::int32_t actual = nimbrel::TextToInteger(text);
  if (const auto expected = Reference(text); expected && *expected != actual)
    nimbrel::fuzz::Fail("TextToInteger differs from the rule");
}

// The directory and the file name join back into the path, at a backslash that is a character
// of its own, after which no such backslash follows.
void CheckPathSplit(const Text& path) {
  const Text directory = nimbrel::ProgramDirectory(path);
  const Text file = nimbrel::ExecutableFileName(path);
  std::optional<std::size_t> lastBackslash;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\') {
      lastBackslash = i;
    } else if (IsLead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    }
  }
  if (!lastBackslash) {
    if (!directory.empty() || file != path) nimbrel::fuzz::Fail("a path without a backslash split");
    return;
  }
  if (directory + "\\" + file != path || directory.size() != *lastBackslash)
    nimbrel::fuzz::Fail("the path split elsewhere than at its last backslash");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text text(reinterpret_cast<const char*>(data), size);
  CheckInteger(text);
  CheckPathSplit(text);
  return 0;
}
