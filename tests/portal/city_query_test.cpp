#include "portal/city_query.h"

#include <gtest/gtest.h>

namespace nimbrel::portal {
namespace {

const std::string kBeijingUtf8 = "北京";
const std::string kBeijingGbk = "\xB1\xB1\xBE\xA9";

struct CityCase {
  const char* what;
  std::string raw;
  CityProblem problem;
  std::string utf8;
};

TEST(DecodeCity, AcceptsEveryFormClientsSendAndRefusesTheRest) {
  const CityCase cases[] = {
      {"raw GBK from the WebBrowser control", kBeijingGbk, CityProblem::kNone, kBeijingUtf8},
      {"percent-escaped GBK", "%B1%B1%BE%A9", CityProblem::kNone, kBeijingUtf8},
      {"percent-escaped UTF-8", "%E5%8C%97%E4%BA%AC", CityProblem::kNone, kBeijingUtf8},
      {"lower-case escapes", "%e5%8c%97%e4%ba%ac", CityProblem::kNone, kBeijingUtf8},
      {"mixed raw and escaped GBK", "\xB1\xB1%BE%A9", CityProblem::kNone, kBeijingUtf8},
      {"plain ASCII", "Lhasa", CityProblem::kNone, "Lhasa"},
      {"plus is part of the name", "a+b", CityProblem::kNone, "a+b"},
      {"empty", "", CityProblem::kEmpty, ""},
      {"truncated escape", "%E5%8", CityProblem::kBadEncoding, ""},
      {"escape with no hex", "%ZZ", CityProblem::kBadEncoding, ""},
      {"neither UTF-8 nor GBK", "\xFF\xFF", CityProblem::kBadEncoding, ""},
      {"lone GBK lead byte", "\xB1", CityProblem::kBadEncoding, ""},
      {"control character", "a%0Ab", CityProblem::kBadEncoding, ""},
      {"overlong UTF-8 is read as the GBK it also is", "%C0%AF", CityProblem::kNone, "蜡"},
      {"UTF-8 surrogate, no GBK either", "%ED%A0%80%FF", CityProblem::kBadEncoding, ""},
      {"65 bytes", std::string(65, 'x'), CityProblem::kTooLong, ""},
      {"flood of escapes", std::string(600, '%'), CityProblem::kTooLong, ""},
  };
  for (const CityCase& c : cases) {
    const DecodedCity decoded = DecodeCity(c.raw);
    EXPECT_EQ(decoded.problem, c.problem) << c.what;
    EXPECT_EQ(decoded.utf8, c.utf8) << c.what;
  }
}

TEST(DecodeCity, LimitIsOnTheDecodedName) {
  EXPECT_EQ(DecodeCity(std::string(64, 'x')).problem, CityProblem::kNone);
  std::string twenty_one_chinese;  // 63 bytes of UTF-8, 42 of GBK
  for (int i = 0; i < 21; ++i) twenty_one_chinese += kBeijingGbk.substr(0, 2);
  EXPECT_EQ(DecodeCity(twenty_one_chinese).problem, CityProblem::kNone);
  EXPECT_EQ(DecodeCity(twenty_one_chinese + kBeijingGbk.substr(0, 2)).problem,
            CityProblem::kTooLong);
}

TEST(RawQueryValue, FindsTheNamedParameterUndecoded) {
  const std::string query = "cid=tb.tq&cin=&city=%B1%B1" + kBeijingGbk;
  EXPECT_EQ(RawQueryValue(query, "city"), "%B1%B1" + kBeijingGbk);
  EXPECT_EQ(RawQueryValue(query, "cin"), "");
  EXPECT_EQ(RawQueryValue(query, "cid"), "tb.tq");
  EXPECT_EQ(RawQueryValue(query, "ci"), std::nullopt);
  EXPECT_EQ(RawQueryValue("city", "city"), "");
  EXPECT_EQ(RawQueryValue("city=a&city=b", "city"), "a");
  EXPECT_EQ(RawQueryValue("", "city"), std::nullopt);
}

}  // namespace
}  // namespace nimbrel::portal
