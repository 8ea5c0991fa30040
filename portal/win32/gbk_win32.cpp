#include "portal/gbk.h"

#include <windows.h>

namespace nimbrel::portal {

namespace {
constexpr UINT kGbkCodePage = 936;
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  if (gbk.empty()) return std::string();
  const int size = static_cast<int>(gbk.size());
  const int wide_length =
      MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
  if (wide_length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), size, wide.data(),
                      wide_length);
  const int utf8_length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (utf8_length <= 0) return std::nullopt;
  std::string utf8(static_cast<size_t>(utf8_length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), utf8_length, nullptr,
                      nullptr);
  return utf8;
}

}  // namespace nimbrel::portal
