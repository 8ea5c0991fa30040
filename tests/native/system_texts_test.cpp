// The text tables are converted at build time; these pins catch a converter, a table edit or
// an escaping fault that would change the bytes the user sees.
#include "core/system_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_texts.h"

namespace nimbrel {
namespace {

struct PinnedText {
  const char* name;
  std::string text;
  std::string bytes;
};

TEST(SystemTextsTest, TextsAreTheirCodePage936Bytes) {
  const PinnedText cases[] = {
      {"kMenuManualRefresh", kMenuManualRefresh, "\xCA\xD6\xB6\xAF\xCB\xA2\xD0\xC2"},
      // ASCII after a double-byte character stays itself.
      {"kMenuAbout", kMenuAbout, "\xB9\xD8\xD3\xDA..."},
      {"kMenuExit", kMenuExit, "\xCD\xCB\xB3\xF6(X)"},
      // Full-width punctuation after ASCII.
      {"kAboutMessengerPrefix", kAboutMessengerPrefix, "QQ\xA3\xBA"},
      {"kCreationFailedMessage", kCreationFailedMessage,
       "\xCE\xDE\xB7\xA8\xB4\xB4\xBD\xA8\xD6\xF7\xB4\xB0\xBF\xDA\xA1\xA3"},
      {"kAboutCaption", kAboutCaption, "\xB9\xD8\xD3\xDA Nimbrel"},
      {"kDefaultProvince", kDefaultProvince, "\xB0\xB2\xBB\xD5"},
      {"kDefaultCity", kDefaultCity, "\xBB\xB4\xC4\xCF"},
      {"kTenMinutesItem", kTenMinutesItem, "10\xB7\xD6\xD6\xD3"},
      // A hex digit right after a double-byte character must not extend its escape.
      {"kPlateNumber", kPlateNumber, "\xCD\xEE" "D12345"},
      {"kHefeiTemperatureTip", kHefeiTemperatureTip, "\xBA\xCF\xB7\xCA 25\xA1\xE6"},
  };
  for (const PinnedText& pinned : cases) EXPECT_EQ(pinned.text, pinned.bytes) << pinned.name;
}

}  // namespace
}  // namespace nimbrel
