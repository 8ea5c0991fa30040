#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/ini_file_store.h"
#include "platform/win32/win32_profile_store.h"
#include "tests/conformance/profile_store_cases.h"

namespace nimbrel::win32 {
namespace {

using conformance::ProfileStoreCase;

// kernel32 resolves a bare file name against the Windows directory, so every case gets an
// absolute path of its own; a fresh name also keeps kernel32's profile cache out of play.
std::string CaseFilePath(const std::string& store, const std::string& caseName) {
  char temporary[MAX_PATH] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH, temporary);
  EXPECT_GT(length, 0u);
  return std::string(temporary, length) + "nimbrel-" + store + "-" + caseName + ".ini";
}

class ProfileStoreConformanceTest : public testing::TestWithParam<ProfileStoreCase> {
 protected:
  std::optional<std::string> PlayIn(ProfileStore& store, const std::string& storeName) {
    path_ = CaseFilePath(storeName, GetParam().name);
    return conformance::Play(store, path_, GetParam());
  }
  void TearDown() override {
    if (!path_.empty()) ::DeleteFileA(path_.c_str());
  }

 private:
  std::string path_;
};

TEST_P(ProfileStoreConformanceTest, IniFileStoreFollowsTheRules) {
  IniFileStore store;
  EXPECT_EQ(PlayIn(store, "own"), GetParam().expected);
}

TEST_P(ProfileStoreConformanceTest, Kernel32FollowsTheRules) {
  Win32ProfileStore store;
  const std::optional<std::string> outcome = PlayIn(store, "kernel32");
  if (GetParam().wineDiffers) {
    GTEST_SKIP() << "Wine's kernel32 differs here; it gave " << testing::PrintToString(outcome);
  }
  EXPECT_EQ(outcome, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ProfileStoreCases, ProfileStoreConformanceTest,
                         testing::ValuesIn(conformance::AllCases()),
                         [](const testing::TestParamInfo<ProfileStoreCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace nimbrel::win32
