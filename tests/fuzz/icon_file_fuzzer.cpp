// The .ico directory and image choice on fuzzed bytes: every choice lies inside the file and
// has a size the system's icon functions can be handed.

#include <cstdlib>
#include <numeric>

#include "tests/fuzz/fuzz_support.h"
#include "platform/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nimbrel::Bytes image(data, data + size);
  const auto choices = nimbrel::ChooseIconImages(image);
  if (choices.size() > 2) nimbrel::fuzz::Fail("more than two choices");
  for (const nimbrel::IconImageChoice& choice : choices) {
    if (choice.size == 0 || choice.offset > image.size() ||
        choice.size > image.size() - choice.offset) {
      nimbrel::fuzz::Fail("a choice outside the file");
    }
    // What the Win32 side copies out for CreateIconFromResourceEx; ASan watches the reads.
    const auto first = image.begin() + static_cast<std::ptrdiff_t>(choice.offset);
    volatile unsigned sum =
        std::accumulate(first, first + static_cast<std::ptrdiff_t>(choice.size), 0u);
    (void)sum;
  }
  return 0;
}
