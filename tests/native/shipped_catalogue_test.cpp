// Checks the files shipped in resources/ as bytes on disk, independently of
// the program's own readers: the GBK city catalogue (boot.ini), the icon and
// the about-window banner.  A broken catalogue shows up on Windows only as
// garbled or missing menu entries, so it is cheaper to catch it here.

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/test_texts.h"

namespace {

const char kCataloguePath[] = NIMBREL_SOURCE_DIR "/resources/boot.ini";
const char kIconPath[] = NIMBREL_SOURCE_DIR "/resources/nimbrel.ico";
const char kBannerPath[] = NIMBREL_SOURCE_DIR "/resources/banner.jpg";

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Converts with glibc's iconv; returns false on any invalid or incomplete
// sequence instead of substituting characters.
bool Convert(const char* from, const char* to, const std::string& input, std::string* output,
             size_t* bad_offset = nullptr) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = input;
  char* in_ptr = in.empty() ? nullptr : &in[0];
  size_t in_left = in.size();
  std::string out;
  bool ok = true;
  while (in_left > 0) {
    char buffer[1024];
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t r = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      ok = false;
      if (bad_offset) *bad_offset = in.size() - in_left;
      break;
    }
  }
  iconv_close(cd);
  if (ok && output) *output = out;
  return ok;
}

std::string Gbk(const std::string& utf8) {
  std::string out;
  if (!Convert("UTF-8", "GBK", utf8, &out)) ADD_FAILURE() << "cannot express in GBK: " << utf8;
  return out;
}

// For failure messages: a GBK name is unreadable in a UTF-8 terminal.
std::string Readable(const std::string& gbk) {
  std::string out;
  return Convert("GBK", "UTF-8", gbk, &out) ? out : "<undecodable " + gbk + ">";
}

// Just enough of the Windows profile format to check the catalogue: sections
// in file order, keys in file order, no comments (the file has none).
struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;
  const std::string* Find(const std::string& key) const {
    for (const auto& e : entries)
      if (e.first == key) return &e.second;
    return nullptr;
  }
};

struct Ini {
  std::vector<IniSection> sections;
  std::vector<std::string> errors;
  const IniSection* Find(const std::string& name) const {
    for (const auto& s : sections)
      if (s.name == name) return &s;
    return nullptr;
  }
};

Ini ParseIni(const std::string& text) {
  Ini ini;
  std::set<std::string> seen_sections;
  std::set<std::string> seen_keys;
  size_t line_no = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::ostringstream where;
    where << "line " << line_no << " (" << Readable(line) << "): ";
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) {
        ini.errors.push_back(where.str() + "malformed section header");
        continue;
      }
      IniSection section;
      section.name = line.substr(1, line.size() - 2);
      if (!seen_sections.insert(section.name).second)
        ini.errors.push_back(where.str() + "section appears twice");
      ini.sections.push_back(section);
      seen_keys.clear();
      continue;
    }
    size_t eq = line.find('=');
    if (ini.sections.empty() || eq == std::string::npos || eq == 0) {
      ini.errors.push_back(where.str() + "not a key=value line inside a section");
      continue;
    }
    std::string key = line.substr(0, eq);
    if (!seen_keys.insert(key).second)
      ini.errors.push_back(where.str() + "key appears twice in its section");
    ini.sections.back().entries.emplace_back(key, line.substr(eq + 1));
  }
  return ini;
}

// Reads a "count=N, 1=..., ..., N=..." list, reporting under |label| every
// way it can go wrong: bad count, a gap, a stray key, an empty value.
std::vector<std::string> NumberedList(const IniSection& section, const std::string& label) {
  std::vector<std::string> values;
  const std::string* count_text = section.Find("count");
  if (!count_text) {
    ADD_FAILURE() << label << ": no count key";
    return values;
  }
  const std::string& c = *count_text;
  bool digits = !c.empty() && c.find_first_not_of("0123456789") == std::string::npos &&
                (c.size() == 1 || c[0] != '0');
  if (!digits || c.size() > 4 || std::stoi(c) < 1) {
    ADD_FAILURE() << label << ": count is '" << c << "', not a positive number";
    return values;
  }
  int count = std::stoi(c);
  for (int i = 1; i <= count; ++i) {
    const std::string* value = section.Find(std::to_string(i));
    if (!value) {
      ADD_FAILURE() << label << ": count is " << count << " but key " << i << " is missing";
      continue;
    }
    EXPECT_FALSE(value->empty()) << label << ": key " << i << " is empty";
    values.push_back(*value);
  }
  for (const auto& e : section.entries) {
    if (e.first == "count") continue;
    bool numbered = false;
    for (int i = 1; i <= count && !numbered; ++i) numbered = e.first == std::to_string(i);
    EXPECT_TRUE(numbered) << label << ": stray key '" << Readable(e.first) << "' (count is "
                          << count << ")";
  }
  return values;
}

TEST(ShippedCatalogueBytes, IsGbkThroughout) {
  const std::string data = ReadFile(kCataloguePath);
  ASSERT_FALSE(data.empty()) << "cannot read " << kCataloguePath;

  // By hand first, so a failure points at the offending offset.
  bool saw_double_byte = false;
  for (size_t i = 0; i < data.size(); ++i) {
    const auto lead = static_cast<unsigned char>(data[i]);
    if (lead < 0x80) continue;
    ASSERT_TRUE(lead >= 0x81 && lead <= 0xFE) << "byte 0x" << std::hex << int(lead) << " at offset "
                                              << std::dec << i << " cannot start a GBK character";
    ASSERT_LT(i + 1, data.size()) << "file ends inside a double-byte character";
    const auto trail = static_cast<unsigned char>(data[++i]);
    ASSERT_TRUE((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE))
        << "byte 0x" << std::hex << int(trail) << " at offset " << std::dec << i
        << " is not a GBK trail byte";
    saw_double_byte = true;
  }
  EXPECT_TRUE(saw_double_byte) << "no Chinese text at all";

  // The ranges above admit unassigned code points; iconv knows the table.
  std::string utf8;
  size_t bad = 0;
  EXPECT_TRUE(Convert("GBK", "UTF-8", data, &utf8, &bad))
      << "iconv rejects the file as GBK at offset " << bad;
  // A UTF-8 file would often survive the range scan; its BOM would not
  // survive the profile API either.
  EXPECT_NE(data.compare(0, 3, "\xEF\xBB\xBF"), 0) << "file starts with a UTF-8 BOM";
}

TEST(ShippedCatalogueBytes, EveryLineEndsInCrlf) {
  const std::string data = ReadFile(kCataloguePath);
  ASSERT_GE(data.size(), 2u);
  size_t line = 1;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n') {
      EXPECT_TRUE(i > 0 && data[i - 1] == '\r') << "line " << line << " ends in a bare LF";
      ++line;
    } else if (data[i] == '\r') {
      EXPECT_TRUE(i + 1 < data.size() && data[i + 1] == '\n')
          << "line " << line << " has a CR not followed by LF";
    }
  }
  EXPECT_EQ(data.substr(data.size() - 2), "\r\n") << "last line is not terminated";
}

class ShippedCatalogue : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ini_ = new Ini(ParseIni(ReadFile(kCataloguePath))); }
  static void TearDownTestSuite() {
    delete ini_;
    ini_ = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(ini_->sections.empty()) << "cannot read " << kCataloguePath;
    for (const auto& e : ini_->errors) ADD_FAILURE() << e;
  }
  // Province names (GBK) in file order.
  static std::vector<std::string> Provinces() {
    const IniSection* list = ini_->Find("province");
    if (!list) {
      ADD_FAILURE() << "no [province] section";
      return {};
    }
    return NumberedList(*list, "[province]");
  }
  static Ini* ini_;
};
Ini* ShippedCatalogue::ini_ = nullptr;

TEST_F(ShippedCatalogue, NamesTheWeatherPortalAndLeavesSettingsToTheProgram) {
  const IniSection* weather = ini_->Find("weather");
  ASSERT_NE(weather, nullptr) << "no [weather] section";
  EXPECT_EQ(&ini_->sections.front(), weather) << "[weather] should open the file";
  const std::string* base = weather->Find("base");
  ASSERT_NE(base, nullptr) << "[weather] has no base key";
  EXPECT_EQ(base->rfind("http://", 0), 0u) << "base is '" << *base << "'";
  EXPECT_EQ(base->back(), '/') << "base '" << *base << "' must end in '/' so paths append";
  // [set] holds the user's choices; shipping one would overwrite them.
  EXPECT_EQ(ini_->Find("set"), nullptr) << "the shipped file must not contain [set]";
}

TEST_F(ShippedCatalogue, ListsAll34ProvinceLevelDivisionsEachWithItsCapitalFirst) {
  const std::vector<std::string> provinces = Provinces();
  EXPECT_EQ(provinces.size(), 34u);

  // (division, capital) in UTF-8; the municipalities and SARs lead with
  // the city as a whole.
  static const std::pair<const char*, const char*> kCapitals[] = {
      {"安徽", "合肥"},     {"北京", "北京"},   {"重庆", "重庆"},       {"福建", "福州"},
      {"甘肃", "兰州"},     {"广东", "广州"},   {"广西", "南宁"},       {"贵州", "贵阳"},
      {"海南", "海口"},     {"河北", "石家庄"}, {"河南", "郑州"},       {"黑龙江", "哈尔滨"},
      {"湖北", "武汉"},     {"湖南", "长沙"},   {"吉林", "长春"},       {"江苏", "南京"},
      {"江西", "南昌"},     {"辽宁", "沈阳"},   {"内蒙古", "呼和浩特"}, {"宁夏", "银川"},
      {"青海", "西宁"},     {"山东", "济南"},   {"山西", "太原"},       {"陕西", "西安"},
      {"上海", "上海"},     {"四川", "成都"},   {"天津", "天津"},       {"西藏", "拉萨"},
      {"新疆", "乌鲁木齐"}, {"云南", "昆明"},   {"浙江", "杭州"},       {"香港", "香港"},
      {"澳门", "澳门"},     {"台湾", "台北"},
  };
  std::set<std::string> expected;
  for (const auto& row : kCapitals) {
    SCOPED_TRACE(row.first);
    const std::string province = Gbk(row.first);
    expected.insert(province);
    const IniSection* section = ini_->Find(province);
    if (!section) {
      ADD_FAILURE() << row.first << ": no section";
      continue;
    }
    const std::string* first = section->Find("1");
    ASSERT_NE(first, nullptr) << row.first << ": no key 1";
    EXPECT_EQ(Readable(*first), row.second) << row.first << ": key 1 should be its capital";
  }
  for (const auto& p : provinces)
    EXPECT_EQ(expected.count(p), 1u) << "unexpected province '" << Readable(p) << "'";
  EXPECT_EQ(std::set<std::string>(provinces.begin(), provinces.end()).size(), provinces.size())
      << "a province is listed twice";
}

TEST_F(ShippedCatalogue, EveryProvinceSectionIsACompleteListOfDistinctCities) {
  const std::vector<std::string> provinces = Provinces();
  ASSERT_FALSE(provinces.empty());
  std::set<std::string> accounted = {"weather", "province"};
  for (const auto& province : provinces) {
    const std::string label = "[" + Readable(province) + "]";
    accounted.insert(province);
    const IniSection* section = ini_->Find(province);
    if (!section) {
      ADD_FAILURE() << label << " is listed under [province] but has no section";
      continue;
    }
    std::map<std::string, int> first_key;
    const std::vector<std::string> cities = NumberedList(*section, label);
    for (size_t i = 0; i < cities.size(); ++i) {
      const std::string& city = cities[i];
      auto inserted = first_key.emplace(city, static_cast<int>(i + 1));
      EXPECT_TRUE(inserted.second) << label << ": '" << Readable(city) << "' at key " << i + 1
                                   << " repeats key " << inserted.first->second;
      // The program builds "<city>" queries and menu text from these.
      EXPECT_EQ(city.find_first_of(" \t[]="), std::string::npos)
          << label << ": key " << i + 1 << " '" << Readable(city) << "' has a stray character";
    }
  }
  for (const auto& s : ini_->sections)
    EXPECT_EQ(accounted.count(s.name), 1u)
        << "section [" << Readable(s.name) << "] is not a listed province";
}

TEST_F(ShippedCatalogue, AnhuiListsHuainan) {
  // GBK bytes converted at build time, so this does not lean on the converter above.
  const IniSection* anhui = ini_->Find(nimbrel::kAnhui);
  ASSERT_NE(anhui, nullptr);
  const std::vector<std::string> cities = NumberedList(*anhui, "[安徽]");
  ASSERT_FALSE(cities.empty());
  EXPECT_EQ(cities.front(), nimbrel::kHefei);
  bool found = false;
  for (const auto& c : cities) found = found || c == nimbrel::kHuainan;
  EXPECT_TRUE(found) << "[安徽] does not list 淮南";
}

uint32_t Le16(const std::string& d, size_t at) {
  return static_cast<unsigned char>(d[at]) | static_cast<unsigned char>(d[at + 1]) << 8;
}
uint32_t Le32(const std::string& d, size_t at) {
  return Le16(d, at) | Le16(d, at + 2) << 16;
}
uint32_t Be16(const std::string& d, size_t at) {
  return static_cast<unsigned char>(d[at]) << 8 | static_cast<unsigned char>(d[at + 1]);
}

TEST(ShippedPictures, IconIsOne128PixelTrueColourImageWithRealAlpha) {
  const std::string ico = ReadFile(kIconPath);
  ASSERT_EQ(ico.size(), 67646u);

  // ICONDIR and its single entry.
  EXPECT_EQ(Le16(ico, 0), 0u);
  EXPECT_EQ(Le16(ico, 2), 1u) << "not an icon (type)";
  ASSERT_EQ(Le16(ico, 4), 1u) << "entry count";
  EXPECT_EQ(static_cast<unsigned char>(ico[6]), 128) << "width";
  EXPECT_EQ(static_cast<unsigned char>(ico[7]), 128) << "height";
  EXPECT_EQ(static_cast<unsigned char>(ico[8]), 0) << "colour count";
  EXPECT_EQ(Le16(ico, 10), 1u) << "planes";
  EXPECT_EQ(Le16(ico, 12), 32u) << "bit count";
  EXPECT_EQ(Le32(ico, 14), 67624u) << "bytes in resource";
  ASSERT_EQ(Le32(ico, 18), 22u) << "image offset";

  // BITMAPINFOHEADER: double height for XOR + AND, uncompressed.
  const size_t bih = 22;
  EXPECT_EQ(Le32(ico, bih), 40u);
  EXPECT_EQ(Le32(ico, bih + 4), 128u);
  EXPECT_EQ(Le32(ico, bih + 8), 256u);
  EXPECT_EQ(Le16(ico, bih + 12), 1u);
  EXPECT_EQ(Le16(ico, bih + 14), 32u);
  EXPECT_EQ(Le32(ico, bih + 16), 0u) << "BI_RGB";

  // The alpha channel must carry the shape, with soft edges, and the AND
  // mask must agree with it for viewers that ignore alpha.
  const size_t xor_at = bih + 40, and_at = xor_at + 128 * 128 * 4;
  int transparent = 0, opaque = 0, partial = 0, mask_mismatches = 0;
  for (int row = 0; row < 128; ++row) {
    for (int x = 0; x < 128; ++x) {
      const auto alpha = static_cast<unsigned char>(ico[xor_at + (row * 128 + x) * 4 + 3]);
      const bool masked =
          (static_cast<unsigned char>(ico[and_at + row * 16 + x / 8]) & (0x80 >> (x % 8))) != 0;
      (alpha == 0 ? transparent : alpha == 255 ? opaque : partial)++;
      if (masked != (alpha == 0)) ++mask_mismatches;
    }
  }
  EXPECT_GT(transparent, 128 * 128 / 10) << "background is not transparent";
  EXPECT_GT(opaque, 128 * 128 / 4) << "the symbol is too faint or too small";
  EXPECT_GT(partial, 128) << "edges are not anti-aliased";
  EXPECT_EQ(mask_mismatches, 0) << "AND mask disagrees with alpha";
  for (int corner : {0, 127, 127 * 128, 128 * 128 - 1})
    EXPECT_EQ(ico[xor_at + corner * 4 + 3], 0) << "corner pixel " << corner << " is not clear";
}

TEST(ShippedPictures, BannerIsBaseline331By259ColourJpeg) {
  const std::string jpg = ReadFile(kBannerPath);
  ASSERT_GT(jpg.size(), 4u) << "cannot read " << kBannerPath;
  ASSERT_EQ(Be16(jpg, 0), 0xFFD8u) << "no SOI";
  EXPECT_EQ(Be16(jpg, jpg.size() - 2), 0xFFD9u) << "no EOI at the end";

  // Walk the marker segments up to the start of scan; every frame header
  // the decoder could see lies before it.
  std::vector<unsigned> frames;
  size_t sof0 = 0;
  bool reached_scan = false;
  for (size_t at = 2; at + 4 <= jpg.size();) {
    ASSERT_EQ(static_cast<unsigned char>(jpg[at]), 0xFF) << "lost marker sync at " << at;
    const unsigned marker = static_cast<unsigned char>(jpg[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const size_t length = Be16(jpg, at + 2);
    ASSERT_GE(length, 2u);
    ASSERT_LE(at + 2 + length, jpg.size()) << "segment 0x" << std::hex << marker << " overruns";
    // SOFn is C0..CF except DHT (C4), JPG (C8) and DAC (CC).
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      frames.push_back(marker);
      if (marker == 0xC0) sof0 = at;
    }
    if (marker == 0xDA) {
      reached_scan = true;
      break;
    }
    at += 2 + length;
  }
  EXPECT_TRUE(reached_scan) << "no start of scan";
  ASSERT_EQ(frames.size(), 1u) << "expected exactly one frame header";
  ASSERT_EQ(frames[0], 0xC0u) << "frame is SOF" << (frames[0] - 0xC0)
                              << ", not baseline SOF0 (SOF2 would be progressive)";
  EXPECT_EQ(static_cast<unsigned char>(jpg[sof0 + 4]), 8) << "sample precision";
  EXPECT_EQ(Be16(jpg, sof0 + 5), 259u) << "height";
  EXPECT_EQ(Be16(jpg, sof0 + 7), 331u) << "width";
  EXPECT_EQ(static_cast<unsigned char>(jpg[sof0 + 9]), 3) << "component count";
}

}  // namespace
