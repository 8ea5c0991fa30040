#include "portal/city_query.h"

#include <cstdint>

#include "portal/gbk.h"

namespace nimbrel::portal {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HasControlCharacter(std::string_view utf8) {
  for (unsigned char c : utf8) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string_view> RawQueryValue(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const size_t end = query.find('&');
    const std::string_view pair = query.substr(0, end);
    const size_t equals = pair.find('=');
    if (pair.substr(0, equals) == name) {
      return equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
    }
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return std::nullopt;
}

std::optional<std::string> PercentDecode(std::string_view escaped) {
  std::string bytes;
  bytes.reserve(escaped.size());
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      bytes.push_back(escaped[i]);
      continue;
    }
    if (i + 2 >= escaped.size()) return std::nullopt;
    const int high = HexValue(escaped[i + 1]);
    const int low = HexValue(escaped[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return bytes;
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;  // overlong forms and surrogates smuggle characters past filters
    }
    i += length;
  }
  return true;
}

DecodedCity DecodeCity(std::string_view raw_value) {
  // Escaped, a legal name is at most three times its size: refuse floods before decoding.
  if (raw_value.size() > kMaxCityBytes * 3) return {{}, CityProblem::kTooLong};
  const std::optional<std::string> bytes = PercentDecode(raw_value);
  if (!bytes) return {{}, CityProblem::kBadEncoding};
  if (bytes->empty()) return {{}, CityProblem::kEmpty};
  std::optional<std::string> utf8;
  if (IsValidUtf8(*bytes)) {
    utf8 = *bytes;
  } else {
    utf8 = GbkToUtf8(*bytes);
  }
  if (!utf8 || HasControlCharacter(*utf8)) return {{}, CityProblem::kBadEncoding};
  if (utf8->size() > kMaxCityBytes) return {{}, CityProblem::kTooLong};
  return {*utf8, CityProblem::kNone};
}

}  // namespace nimbrel::portal
