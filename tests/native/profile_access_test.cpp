#include "core/profile_access.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// Answers every read with what it was asked, so a test sees exactly what reached the store.
class EchoStore final : public ProfileStore {
 public:
  Text ReadString(const Text& file, const Text& section, const Text& key,
                  const Text& fallback) const override {
    ++reads;
    return file + "|" + section + "|" + key + "|" + fallback;
  }
  bool WriteString(const Text& file, const Text& section, const Text& key,
                   const Text& value) override {
    written = file + "|" + section + "|" + key + "|" + value;
    return true;
  }
  mutable int reads = 0;
  Text written;
};

TEST(ReadProfileValueTest, SkipsLeadingControlBytesAndNeverConsultsTheFileForEmptyNames) {
  struct Case {
    Text file, section, key;
    Text expected;
  };
  const Case cases[] = {
      {"f", "s", "k", "f|s|k|d"},
      {" \t\x01"
       "f",
       "\x20s", "\x1Fk", "f|s|k|d"},
      {"f ", "s ", "k ", "f |s |k |d"},  // only leading bytes are skipped
      {"\xA1\xA1"
       "f",
       "s", "k",
       "\xA1\xA1"
       "f|s|k|d"},  // double-byte blanks are not skipped
      {"", "s", "k", ""},
      {"f", " \r\n", "k", ""},
      {"f", "s", "\x20\x20", ""},
  };
  for (const Case& c : cases) {
    EchoStore store;
    EXPECT_EQ(ReadProfileValue(store, c.file, c.section, c.key, "d"), c.expected)
        << c.file << "/" << c.section << "/" << c.key;
    EXPECT_EQ(store.reads, c.expected.empty() ? 0 : 1);
  }
}

TEST(WriteProfileValueTest, PassesEverythingUnchanged) {
  EchoStore store;
  WriteProfileValue(store, " f", " s", " k", " ");
  EXPECT_EQ(store.written, " f| s| k| ");
}

TEST(ModulePathTest, SplitsAtTheLastBackslashThatIsACharacterOfItsOwn) {
  struct Case {
    Text path, directory, file;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Nimbrel\\Nimbrel.exe", "C:\\Program Files\\Nimbrel", "Nimbrel.exe"},
      {"C:\\Nimbrel.exe", "C:", "Nimbrel.exe"},
      {"Nimbrel.exe", "", "Nimbrel.exe"},
      // 0x95 0x5C is one double-byte character whose trail byte is a backslash.
      {"C:\\\x95\x5C\\a.exe", "C:\\\x95\x5C", "a.exe"},
      {"C:\\dir\x95\x5C"
       "a.exe",
       "C:",
       "dir\x95\x5C"
       "a.exe"},
      {"C:\\dir\\", "C:\\dir", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgramDirectory(c.path), c.directory) << c.path;
    EXPECT_EQ(ExecutableFileName(c.path), c.file) << c.path;
  }
  EXPECT_EQ(ProfilePath("C:"), "C:\\boot.ini");
}

}  // namespace
}  // namespace nimbrel
