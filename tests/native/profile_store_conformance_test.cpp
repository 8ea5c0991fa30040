#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini_file_store.h"
#include "tests/conformance/profile_store_cases.h"

namespace nimbrel {
namespace {

using conformance::ProfileStoreCase;

class IniFileStoreConformanceTest : public testing::TestWithParam<ProfileStoreCase> {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() /
        ("nimbrel-conformance-" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" + GetParam().name);
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::string ProfilePath() const { return (directory_ / "boot.ini").string(); }

 private:
  std::filesystem::path directory_;
};

TEST_P(IniFileStoreConformanceTest, FollowsKernel32Rules) {
  IniFileStore store;
  const ProfileStoreCase& c = GetParam();
  EXPECT_EQ(conformance::Play(store, ProfilePath(), c), c.expected);
}

INSTANTIATE_TEST_SUITE_P(ProfileStoreCases, IniFileStoreConformanceTest,
                         testing::ValuesIn(conformance::AllCases()),
                         [](const testing::TestParamInfo<ProfileStoreCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace nimbrel
