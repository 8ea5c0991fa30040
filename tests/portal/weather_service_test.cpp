#include "portal/weather_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "portal/portal_handler.h"
#include "portal_fakes.h"

namespace nimbrel::portal {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;
using testing::FakeSource;
using testing::ManualClock;

class WeatherServiceTest : public ::testing::Test {
 protected:
  WeatherService& Service(ServiceSettings settings = {}) {
    service_.emplace(source_, places_, settings, clock_.Portal());
    return *service_;
  }

  ManualClock clock_;
  FakeSource source_;
  GeocodeCache places_{"", hours(1)};
  std::optional<WeatherService> service_;
};

TEST_F(WeatherServiceTest, ServesFromTheCacheUntilTheTtlRunsOut) {
  WeatherService& service = Service();
  const WeatherAnswer first = service.Serve("北京");
  EXPECT_EQ(first.status, 200);
  EXPECT_EQ(first.cache, CacheUse::kMiss);
  EXPECT_EQ(first.max_age, seconds(600));
  EXPECT_EQ(first.etag, EntityTag(first.page));

  clock_.Advance(seconds(599));
  const WeatherAnswer later = service.Serve("北京");
  EXPECT_EQ(later.cache, CacheUse::kHit);
  EXPECT_EQ(later.max_age, seconds(1));
  EXPECT_EQ(later.page, first.page);
  EXPECT_EQ(source_.forecasts, 1);

  clock_.Advance(seconds(1));
  source_.temperature = 30;
  const WeatherAnswer renewed = service.Serve("北京");
  EXPECT_EQ(renewed.cache, CacheUse::kMiss);
  EXPECT_NE(renewed.etag, first.etag);
  EXPECT_EQ(source_.forecasts, 2);
  EXPECT_EQ(source_.lookups, 1) << "a city's place is looked up once";
}

TEST_F(WeatherServiceTest, DropsTheLeastRecentlyUsedCityBeyondCapacity) {
  ServiceSettings settings;
  settings.cache_capacity = 2;
  WeatherService& service = Service(settings);
  service.Serve("北京");
  service.Serve("上海");
  service.Serve("北京");  // 上海 is now the least recent
  service.Serve("广州");
  EXPECT_EQ(source_.forecasts, 3);
  EXPECT_EQ(service.Serve("北京").cache, CacheUse::kHit);
  EXPECT_EQ(service.Serve("上海").cache, CacheUse::kMiss);
}

TEST_F(WeatherServiceTest, ManyAtOnceForOneUncachedCityMakeOneUpstreamCall) {
  WeatherService& service = Service();
  source_.HoldCalls();
  constexpr int kClients = 50;
  std::vector<WeatherAnswer> answers(kClients);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&, i] { answers[i] = service.Serve("北京"); });
  }
  // Let the crowd gather behind the one held call before it answers.
  for (int spin = 0; spin < 2000 && source_.waiting == 0; ++spin) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  source_.ReleaseCalls();
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(source_.lookups, 1);
  EXPECT_EQ(source_.forecasts, 1);
  for (const WeatherAnswer& answer : answers) {
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.page, answers.front().page);
  }
}

TEST_F(WeatherServiceTest, ServesTheLastGoodPageWithItsAgeWhenUpstreamFails) {
  WeatherService& service = Service();
  const WeatherAnswer good = service.Serve("北京");
  clock_.Advance(minutes(25));
  source_.failing = true;
  const WeatherAnswer stale = service.Serve("北京");
  EXPECT_EQ(stale.status, 200);
  EXPECT_EQ(stale.cache, CacheUse::kStale);
  EXPECT_EQ(stale.max_age, seconds(0));
  EXPECT_NE(stale.page.find("25 分钟前"), std::string::npos);
  EXPECT_NE(stale.etag, good.etag);

  source_.failing = false;
  const WeatherAnswer recovered = service.Serve("北京");
  EXPECT_EQ(recovered.cache, CacheUse::kMiss);
  EXPECT_EQ(recovered.page.find("分钟前"), std::string::npos);
}

TEST_F(WeatherServiceTest, AnswersUnavailableWithNothingToFallBackOn) {
  WeatherService& service = Service();
  source_.failing = true;
  const WeatherAnswer answer = service.Serve("北京");
  EXPECT_EQ(answer.status, 503);
  EXPECT_LT(answer.max_age, seconds(0));
  EXPECT_NE(answer.page.find("暂时无法获取天气"), std::string::npos);
  source_.failing = false;
  EXPECT_EQ(service.Serve("北京").status, 200) << "a failure is not cached";
}

TEST_F(WeatherServiceTest, RemembersAnUnknownCityForAnHour) {
  WeatherService& service = Service();
  EXPECT_EQ(service.Serve("不存在").status, 404);
  clock_.Advance(minutes(59));
  EXPECT_EQ(service.Serve("不存在").status, 404);
  EXPECT_EQ(source_.lookups, 1);
  clock_.Advance(minutes(1));
  EXPECT_EQ(service.Serve("不存在").status, 404);
  EXPECT_EQ(source_.lookups, 2);
  EXPECT_EQ(source_.forecasts, 0);
}

TEST_F(WeatherServiceTest, LimitsTheRateOfLookupsOfNewNames) {
  ServiceSettings settings;
  settings.new_city_lookups_per_second = 1;
  settings.new_city_lookup_burst = 3;
  WeatherService& service = Service(settings);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(service.Serve("junk" + std::to_string(i)).status, 200);
  EXPECT_EQ(service.Serve("junk3").status, 503);
  EXPECT_EQ(source_.lookups, 3);
  EXPECT_EQ(service.Serve("junk0").cache, CacheUse::kHit) << "known cities are not limited";
  clock_.Advance(seconds(1));
  EXPECT_EQ(service.Serve("junk3").status, 200);
}

TEST(GeocodeCache, KeepsFoundPlacesInItsFileAcrossRestarts) {
  const std::filesystem::path file =
      std::filesystem::path(::testing::TempDir()) / "nimbrel-portal-geocode-test.json";
  std::filesystem::remove(file);
  const Instant now{};
  {
    GeocodeCache places(file.string(), hours(1));
    places.RememberKnown("北京", {39.9075, 116.39723});
    places.RememberUnknown("不存在", now);
  }
  GeocodeCache reopened(file.string(), hours(1));
  const GeocodeAnswer beijing = reopened.Find("北京", now);
  EXPECT_EQ(beijing.whereabouts, Whereabouts::kKnown);
  EXPECT_DOUBLE_EQ(beijing.coordinates.latitude, 39.9075);
  EXPECT_DOUBLE_EQ(beijing.coordinates.longitude, 116.39723);
  EXPECT_EQ(reopened.Find("不存在", now).whereabouts, Whereabouts::kNotAsked);

  std::ofstream(file, std::ios::trunc) << "{\"北京\": {\"latitude\": ";  // damaged
  EXPECT_EQ(GeocodeCache(file.string(), hours(1)).Find("北京", now).whereabouts,
            Whereabouts::kNotAsked);
  std::filesystem::remove(file);
}

class PortalHandlerTest : public WeatherServiceTest {
 protected:
  PortalResponse Get(std::string_view path, std::string_view query,
                     std::string_view if_none_match = {}) {
    return HandlePortalRequest(*service_, {path, query, if_none_match});
  }

  std::string Header(const PortalResponse& response, const std::string& name) {
    for (const auto& [key, value] : response.headers) {
      if (key == name) return value;
    }
    return "<absent>";
  }
};

TEST_F(PortalHandlerTest, RoutesTheWidgetsAddressHealthAndNothingElse) {
  Service();
  const PortalResponse page = Get("/tb.q", "cid=tb.tq&cin=&city=\xB1\xB1\xBE\xA9");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.city, "北京");
  EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
  EXPECT_EQ(Header(page, "Cache-Control"), "public, max-age=600");

  EXPECT_EQ(Get("/healthz", "").status, 200);
  const std::pair<std::string_view, std::string_view> missing[] = {
      {"/", ""}, {"/tb.q/", "city=x"}, {"/favicon.ico", ""}, {"/TB.Q", "city=x"}};
  for (const auto& [path, query] : missing) {
    const PortalResponse response = Get(path, query);
    EXPECT_EQ(response.status, 404) << path;
    EXPECT_EQ(Header(response, "Cache-Control"), "no-store") << path;
  }
}

TEST_F(PortalHandlerTest, RefusesBadCitiesWithAChineseNotice) {
  Service();
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"cid=tb.tq&cin=", "没有指定城市"},
      {"cid=tb.tq&cin=&city=", "没有指定城市"},
      {"cid=tb.tq&cin=&city=%FF%FF", "城市名称无法识别"},
      {"cid=tb.tq&cin=&city=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
       "城市名称太长"}};
  for (const auto& [query, notice] : cases) {
    const PortalResponse response = Get("/tb.q", query);
    EXPECT_EQ(response.status, 400) << query;
    EXPECT_NE(response.body.find(notice), std::string::npos) << query;
  }
  EXPECT_EQ(source_.lookups, 0);
  EXPECT_EQ(Get("/tb.q", "city=%E4%B8%8D%E5%AD%98%E5%9C%A8").status, 404);
}

TEST_F(PortalHandlerTest, AnswersNotModifiedToTheCurrentEntityTag) {
  Service();
  const PortalResponse page = Get("/tb.q", "city=Lhasa");
  const std::string etag = Header(page, "ETag");
  ASSERT_EQ(etag.front(), '"');
  for (const std::string& if_none_match :
       {etag, "W/" + etag, "\"other\", " + etag, std::string("*")}) {
    const PortalResponse again = Get("/tb.q", "city=Lhasa", if_none_match);
    EXPECT_EQ(again.status, 304) << if_none_match;
    EXPECT_TRUE(again.body.empty());
    EXPECT_EQ(Header(again, "ETag"), etag);
  }
  EXPECT_EQ(Get("/tb.q", "city=Lhasa", "\"other\"").status, 200);
  source_.failing = true;
  EXPECT_EQ(Get("/tb.q", "city=Nowhere", "*").status, 503) << "only a page can be not modified";
}

}  // namespace
}  // namespace nimbrel::portal
