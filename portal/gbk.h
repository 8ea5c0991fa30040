#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrel::portal {

// Code page 936 bytes to UTF-8; nothing when the bytes are not valid in that code page.
// The one place that knows how the platform converts: iconv on POSIX, kernel32 on Windows.
std::optional<std::string> GbkToUtf8(std::string_view gbk);

}  // namespace nimbrel::portal
