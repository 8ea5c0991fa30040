#include "core/ini_file_store.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifdef __unix__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace nimbrel {
namespace {

namespace fs = std::filesystem;

constexpr char kFallback[] = "fallback";

// Each test works in a directory of its own under the system's temporary directory.
class IniFileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    directory_ = fs::temp_directory_path() / (std::string("nimbrel-ini-") + info->name() + "-" +
                                              std::to_string(std::random_device{}()));
    fs::create_directories(directory_);
    path_ = (directory_ / "boot.ini").string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(directory_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(directory_, ignored);
  }

  void WriteBytes(const std::string& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string Read(const std::string& section, const std::string& key) const {
    return store_.ReadString(path_, section, key, kFallback);
  }
  // Nothing but the profile itself may be left in the directory, whatever happened.
  void ExpectOnlyTheProfileLeft() const {
    for (const auto& entry : fs::directory_iterator(directory_)) {
      EXPECT_EQ(entry.path().filename(), "boot.ini");
    }
  }

  IniFileStore store_;
  fs::path directory_;
  std::string path_;
};

// Bytes of every value but the line feed and '[', so that no line of it starts a section.
std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes;
  while (bytes.size() < size) {
    const char c = static_cast<char>(random() & 0xFF);
    if (c != '\n' && c != '[') bytes += c;
  }
  bytes[size / 2] = '\0';  // at least one NUL whatever the generator gives
  return bytes;
}

TEST_F(IniFileStoreTest, BinaryGarbageAroundSectionsKeepsWhatIsReadable) {
  const std::string before = Garbage(3000, 1);
  const std::string after = Garbage(3000, 2);
  const std::string head = before + "\r\n[set]\r\nkey=value\r\n";
  const std::string tail = "[bin]\r\n" + after;
  WriteBytes(head + tail);

  EXPECT_EQ(Read("set", "key"), "value");
  EXPECT_EQ(Read("set", "missing"), kFallback);
  EXPECT_EQ(Read("nowhere", "key"), kFallback);

  ASSERT_TRUE(store_.WriteString(path_, "set", "added", "new"));
  EXPECT_EQ(Bytes(), head + "added=new\r\n" + tail);
  ASSERT_TRUE(store_.WriteString(path_, "set", "key", "changed"));
  EXPECT_EQ(Bytes(), before + "\r\n[set]\r\nkey=changed\r\nadded=new\r\n" + tail);
}

TEST_F(IniFileStoreTest, NulBytesInsideLinesDoNotHideLaterKeys) {
  const char content[] = "[set]\r\nfirst=a\0b\r\nk\0ey=x\r\nlast=z\r\n";
  WriteBytes(std::string(content, sizeof content - 1));
  EXPECT_EQ(Read("set", "last"), "z");
  EXPECT_EQ(Read("set", "key"), kFallback);
}

TEST_F(IniFileStoreTest, SeveralMegabyteFileIsReadAndWrittenWhole) {
  constexpr int kKeys = 250000;  // about 5 MB
  std::string content = "[set]\r\n";
  for (int i = 0; i < kKeys; ++i) {
    content += "key" + std::to_string(i) + "=value of key " + std::to_string(i) + "\r\n";
  }
  content += "\r\n[last]\r\nend=1\r\n";
  WriteBytes(content);

  // A pass per line over the whole section would take hours at this size: the test's
  // timeout catches that, with no clock in the test to trip on a loaded machine.
  EXPECT_EQ(Read("set", "key" + std::to_string(kKeys - 1)),
            "value of key " + std::to_string(kKeys - 1));
  EXPECT_EQ(Read("last", "end"), "1");
  ASSERT_TRUE(store_.WriteString(path_, "set", "added", "x"));

  const std::size_t insertAt = content.find("\r\n[last]");
  EXPECT_EQ(Bytes(), content.substr(0, insertAt) + "added=x\r\n" + content.substr(insertAt));
}

TEST_F(IniFileStoreTest, Utf16FileReadsAsAbsentAndIsNeverRewritten) {
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[set]\r\nkey=value\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  WriteBytes(utf16);

  EXPECT_EQ(Read("set", "key"), kFallback);
  EXPECT_FALSE(store_.WriteString(path_, "set", "key", "other"));
  EXPECT_EQ(Bytes(), utf16);
  ExpectOnlyTheProfileLeft();
}

TEST_F(IniFileStoreTest, DirectoryInPlaceOfTheFileGivesDefaultAndRefusesWrites) {
  fs::create_directory(path_);
  EXPECT_EQ(Read("set", "key"), kFallback);
  EXPECT_FALSE(store_.WriteString(path_, "set", "key", "value"));
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_TRUE(fs::is_empty(path_));
}

const char kSettings[] = "[set]\r\nzoom=1\r\nkey=old\r\n\r\n[city]\r\nname=\xBA\xCF\xB7\xCA\r\n";

void ExpectSettingsIntact(const IniFileStore& store, const std::string& path) {
  EXPECT_EQ(store.ReadString(path, "set", "zoom", kFallback), "1");
  EXPECT_EQ(store.ReadString(path, "set", "key", kFallback), "old");
  EXPECT_EQ(store.ReadString(path, "city", "name", kFallback), "\xBA\xCF\xB7\xCA");
  EXPECT_EQ(store.ReadString(path, "set", "added", kFallback), kFallback);
}

#ifdef __unix__
// The disk fills up in the middle of a save: the process may write no more bytes than the
// old file had, so the new, longer content cannot be written out.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

TEST_F(IniFileStoreTest, SaveThatRunsOutOfSpaceLeavesTheFileAsItWas) {
  WriteBytes(kSettings);
  bool written = true;
  {
    const FileSizeLimit limit(sizeof kSettings - 1);
    written = store_.WriteString(path_, "set", "added", std::string(4096, 'x'));
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(Bytes(), kSettings);
  ExpectSettingsIntact(store_, path_);
  ExpectOnlyTheProfileLeft();
}

TEST_F(IniFileStoreTest, ReadOnlyFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  WriteBytes(kSettings);
  fs::permissions(path_, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_FALSE(store_.WriteString(path_, "set", "added", "x"));
  EXPECT_EQ(Bytes(), kSettings);
  ExpectSettingsIntact(store_, path_);
}
#endif

TEST_F(IniFileStoreTest, SaveIntoAMissingDirectoryFailsWithoutCreatingIt) {
  const std::string nowhere = (directory_ / "missing" / "boot.ini").string();
  EXPECT_FALSE(store_.WriteString(nowhere, "set", "key", "value"));
  EXPECT_FALSE(fs::exists(directory_ / "missing"));
}

}  // namespace
}  // namespace nimbrel
