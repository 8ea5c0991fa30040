#include "platform/win32/control_fonts.h"

namespace nimbrel::win32 {
namespace {

bool SameSpec(const FontSpec& one, const FontSpec& other) {
  return one.face == other.face && one.height == other.height && one.weight == other.weight;
}

HFONT StockGuiFont() {
  return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// `height` is passed as it stands: the definitions give the negative character height.
UniqueFont CreateSpecFont(const FontSpec& spec) {
  return UniqueFont(::CreateFontA(spec.height, 0, 0, 0, spec.weight, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  PROOF_QUALITY, DEFAULT_PITCH, spec.face.c_str()));
}

}  // namespace

HFONT ControlFonts::FontFor(const FontSpec& spec) {
  if (spec.face.empty()) return StockGuiFont();
  for (const auto& [known, font] : fonts_) {
    if (SameSpec(known, spec)) return font.get();
  }
  UniqueFont font = CreateSpecFont(spec);
  if (!font) return StockGuiFont();
  fonts_.emplace_back(spec, std::move(font));
  return fonts_.back().second.get();
}

}  // namespace nimbrel::win32
