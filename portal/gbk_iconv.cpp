#include "portal/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace nimbrel::portal {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

constexpr size_t kUtf8BytesPerGbkByte = 2;  // two GBK bytes never give more than four UTF-8

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  iconv_t raw = iconv_open("UTF-8", "GBK");
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  IconvHandle cd(raw);
  std::string in(gbk);
  std::string out(in.size() * kUtf8BytesPerGbkByte + 4, '\0');
  char* in_ptr = in.data();
  size_t in_left = in.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  if (iconv(raw, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) {
    return std::nullopt;  // EILSEQ or a truncated trailing byte (EINVAL)
  }
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace nimbrel::portal
