#pragma once

#include <string>
#include <vector>

namespace nimbrel {

// A byte string in the ANSI code page (936 for the Chinese names). A text that was never
// assigned is simply an empty std::string, which gives it the empty text's behaviour for free.
using Text = std::string;
using Bytes = std::vector<unsigned char>;

inline const Text kFlagOn = "1";
inline const Text kFlagOff = "0";

// Flags are compared byte for byte: " 1", "01" or "true" are neither on nor off, so callers
// always test both values separately.
inline bool IsFlagOn(const Text& flag) {
  return flag == kFlagOn;
}
inline bool IsFlagOff(const Text& flag) {
  return flag == kFlagOff;
}

// Lead bytes of a double-byte character in code page 936.
inline bool IsLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace nimbrel
