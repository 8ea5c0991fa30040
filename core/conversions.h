#pragma once

#include <cstdint>

#include "core/text.h"

namespace nimbrel {

// Reads a decimal integer after narrowing the full-width forms of code page 936, so that
// digits typed with a Chinese input method still count. Anything unreadable gives 0.
std::int32_t TextToInteger(const Text& text);

Text IntegerToText(std::int32_t value);

// "%.13g": only ever applied to differences of two integers, which print as plain integers.
Text RealToText(double value);

}  // namespace nimbrel
