#include "core/conversions.h"

#include <cstdio>

namespace nimbrel {
namespace {

constexpr unsigned char kFullWidthAsciiLead = 0xA3;
constexpr unsigned char kFullWidthPunctuationLead = 0xA1;

// Maps one double-byte character to its ASCII form; returns 0 when it has none.
char NarrowDoubleByte(unsigned char lead, unsigned char trail) {
  if (lead == kFullWidthAsciiLead && trail >= 0xA1 && trail <= 0xFE) {
    return static_cast<char>(trail - 0x80);
  }
  if (lead == kFullWidthPunctuationLead) {
    switch (trail) {
      case 0xA1:
        return ' ';  // ideographic space
      case 0xAB:
        return '~';
      case 0xEE:
      case 0xEF:
        return '*';
      default:
        break;
    }
  }
  return 0;
}

Text NarrowFullWidth(const Text& text) {
  Text narrowed;
  narrowed.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      narrowed += text[i];
      continue;
    }
    if (i + 1 == text.size()) break;  // a lone lead byte at the end is dropped
    const auto trail = static_cast<unsigned char>(text[++i]);
    if (const char ascii = NarrowDoubleByte(lead, trail)) {
      narrowed += ascii;
    } else {
      narrowed += static_cast<char>(lead);
      narrowed += static_cast<char>(trail);
    }
  }
  return narrowed;
}

bool IsBlank(unsigned char byte) {
  return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

}  // namespace

std::int32_t TextToInteger(const Text& text) {
  const Text narrowed = NarrowFullWidth(text);
  std::size_t i = 0;
  while (i < narrowed.size() && IsBlank(static_cast<unsigned char>(narrowed[i]))) ++i;
  bool negative = false;
  if (i < narrowed.size() && (narrowed[i] == '+' || narrowed[i] == '-')) {
    negative = narrowed[i] == '-';
    ++i;
  }
  // Accumulate unsigned so that an overlong number wraps instead of overflowing; beyond the
  // 32-bit range the result is unspecified, but it must never be undefined behaviour.
  std::uint32_t magnitude = 0;
  for (; i < narrowed.size() && narrowed[i] >= '0' && narrowed[i] <= '9'; ++i) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(narrowed[i] - '0');
  }
  if (negative) magnitude = 0u - magnitude;
  return static_cast<std::int32_t>(magnitude);
}

Text IntegerToText(std::int32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
  return buffer;
}

Text RealToText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return buffer;
}

}  // namespace nimbrel
