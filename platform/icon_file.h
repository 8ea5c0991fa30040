#pragma once

// The directory of a .ico (or .cur) file image and the choice of the image the tray shows.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text.h"

namespace nimbrel {

// One image of the file, as the system's icon functions are handed it.
struct IconImageChoice {
  std::size_t offset = 0;  // of the image's bytes within the file image
  std::size_t size = 0;
  int width = 0;  // from the image's bitmap header (a PNG image: from its directory entry)
  int height = 0;
  std::uint16_t bitCount = 0;
};

// The images to try, in this order: the first entry 16 pixels wide with at least 16 colours,
// else the last entry; then the same preferring 32 pixels. A choice whose bytes lie outside
// the file or that has no bitmap header is left out; a broken header or directory gives none.
std::vector<IconImageChoice> ChooseIconImages(const Bytes& iconImage);

}  // namespace nimbrel
