#include "core/region_catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "tests/test_texts.h"

namespace nimbrel {
namespace {

// An in-memory catalogue; a missing entry reads as the default, as a profile file does.
class MapStore final : public ProfileStore {
 public:
  Text ReadString(const Text& file, const Text& section, const Text& key,
                  const Text& fallback) const override {
    ++reads;
    EXPECT_EQ(file, "P\\boot.ini");
    const auto found = values.find({section, key});
    return found == values.end() ? fallback : found->second;
  }
  bool WriteString(const Text&, const Text&, const Text&, const Text&) override {
    ADD_FAILURE() << "the catalogue is never written";
    return false;
  }
  std::map<std::pair<Text, Text>, Text> values;
  mutable int reads = 0;
};

TEST(RegionCatalogueTest, ProvincesInKeyOrderWithDefaultsForMissingKeys) {
  MapStore store;
  store.values = {{{"province", "count"}, "10"},
                  {{"province", "2"}, "b"},
                  {{"province", "1"}, "a"},
                  {{"province", "3"}, ""}};
  for (int i = 4; i <= 9; ++i)
    store.values[{"province", std::to_string(i)}] = "p" + std::to_string(i);
  store.values.erase({"province", "7"});
  const RegionCatalogue catalogue(store, "P\\boot.ini");
  EXPECT_EQ(catalogue.ReadProvinceNames(),
            (std::vector<Text>{"a", "b", "", "p4", "p5", "p6", kAnhui, "p8", "p9", kAnhui}));
}

TEST(RegionCatalogueTest, CountsThatMeanNoEntries) {
  for (const Text& count : {Text(), Text("abc"), Text("0"), Text("-3"), kAnhui}) {
    MapStore store;
    store.values = {{{"province", "count"}, count}, {{"province", "1"}, "a"}};
    EXPECT_TRUE(RegionCatalogue(store, "P\\boot.ini").ReadProvinceNames().empty()) << count;
  }
  MapStore empty;
  EXPECT_TRUE(RegionCatalogue(empty, "P\\boot.ini").ReadProvinceNames().empty());
}

TEST(RegionCatalogueTest, CitiesUseTheCallersFallbackAndFullWidthCounts) {
  MapStore store;
  store.values = {{{"X", "count"}, "\xA3\xB3"}, {{"X", "1"}, "c1"}, {{"X", "3"}, "c3"}};
  const RegionCatalogue catalogue(store, "P\\boot.ini");
  EXPECT_EQ(catalogue.ReadCityNames("X", kAnhui), (std::vector<Text>{"c1", kAnhui, "c3"}));
  EXPECT_EQ(catalogue.ReadCityNames("X", ""), (std::vector<Text>{"c1", "", "c3"}));
  EXPECT_TRUE(catalogue.ReadCityNames("missing", kAnhui).empty());
}

TEST(RegionCatalogueTest, HugeCountsStopAtAThousandEntriesReadAsUsual) {
  for (const Text count : {"1001", "2000000000", "2147483647", "99999999999"}) {
    MapStore store;
    store.values = {{{"X", "count"}, count}, {{"X", "1"}, "c1"}, {{"X", "1000"}, "c1000"}};
    const std::vector<Text> cities = RegionCatalogue(store, "P\\boot.ini").ReadCityNames("X", "");
    ASSERT_EQ(cities.size(), 1000u) << count;
    EXPECT_EQ(cities.front(), "c1");
    EXPECT_EQ(cities[1], "");  // a missing key still reads as the fallback
    EXPECT_EQ(cities.back(), "c1000");
    EXPECT_EQ(store.reads, 1001) << count;
  }
  MapStore store;
  store.values = {{{"province", "count"}, "1000"}, {{"province", "999"}, "p999"}};
  const std::vector<Text> provinces = RegionCatalogue(store, "P\\boot.ini").ReadProvinceNames();
  ASSERT_EQ(provinces.size(), 1000u);
  EXPECT_EQ(provinces[998], "p999");
  EXPECT_EQ(provinces[999], kAnhui);
}

TEST(RegionCatalogueTest, FirstCityFallsBackToTheDefaultProvinceText) {
  MapStore store;
  store.values = {{{"X", "1"}, "c1"}, {{"Y", "count"}, "1"}};
  const RegionCatalogue catalogue(store, "P\\boot.ini");
  EXPECT_EQ(catalogue.ReadFirstCity("X"), "c1");
  EXPECT_EQ(catalogue.ReadFirstCity("Y"), kAnhui);
  EXPECT_EQ(catalogue.ReadFirstCity("none"), kAnhui);
  const int before = store.reads;
  EXPECT_EQ(catalogue.ReadFirstCity(""), "");
  EXPECT_TRUE(catalogue.ReadCityNames(" ", kAnhui).empty());
  EXPECT_EQ(store.reads, before);  // an empty province never reaches the file
}

}  // namespace
}  // namespace nimbrel
