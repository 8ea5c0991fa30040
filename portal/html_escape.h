#pragma once

#include <string>
#include <string_view>

namespace nimbrel::portal {

// Text for HTML element content and quoted attribute values.
std::string EscapeHtml(std::string_view text);

}  // namespace nimbrel::portal
