#include "platform/win32/control_fonts.h"

namespace nimbrel::win32 {
namespace {

bool SameFont(const FontSpec& one, const FontSpec& other) {
  return one.face == other.face && one.height == other.height && one.weight == other.weight;
}

HFONT StockGuiFont() {
  return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// `height` is passed as it stands: the definitions give the negative character height.
UniqueFont CreateFontFor(const FontSpec& font) {
  return UniqueFont(::CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  PROOF_QUALITY, DEFAULT_PITCH, font.face.c_str()));
}

}  // namespace

HFONT ControlFonts::FontFor(const FontSpec& wanted) {
  if (wanted.face.empty()) return StockGuiFont();
  for (const auto& [known, font] : fonts_) {
    if (SameFont(known, wanted)) return font.get();
  }
  UniqueFont font = CreateFontFor(wanted);
  if (!font) return StockGuiFont();
  fonts_.emplace_back(wanted, std::move(font));
  return fonts_.back().second.get();
}

}  // namespace nimbrel::win32
