// The portable profile store on a fuzzed file: read, write, read again. The value written
// reads back, every other value reads as before, and no other line of the file changes.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/ini_file_store.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using nimbrel::Text;

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

Text WithoutBlanksAround(Text text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  const auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
  return Text(first, text.end());
}

// Code page 936: 0x81 to 0xFE lead a double-byte character.
std::size_t CharacterLength(const Text& text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  return byte >= 0x81 && byte <= 0xFE ? 2 : 1;
}

bool EndsInsideACharacter(const Text& text) {
  std::size_t i = 0;
  while (i < text.size()) i += CharacterLength(text, i);
  return i > text.size();
}

bool HasCharacter(const Text& text, char wanted) {
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i))
    if (text[i] == wanted) return true;
  return false;
}

// Names a profile line can hold at all: one line, a section name without its closing bracket,
// a key without an equals sign that does not open a section header. A new line holds the
// names as given, blanks and all; the search ignores the blanks around them.
bool Writable(const Text& section, const Text& key) {
  const auto oneLine = [](const Text& t) {
    return t.find_first_of(Text("\r\n\0", 3)) == Text::npos && !EndsInsideACharacter(t);
  };
  const Text k = WithoutBlanksAround(key);
  return !WithoutBlanksAround(section).empty() && !k.empty() && oneLine(section) && oneLine(key) &&
         !HasCharacter(section, ']') && k.find('=') == Text::npos && k.front() != '[' &&
         k.front() != ';';
}

// A value that reads back as written: one line, no blanks or enclosing quotes to be trimmed.
Text Writable(Text value) {
  value.erase(std::remove_if(value.begin(), value.end(),
                             [](char c) { return c == '\r' || c == '\n' || c == '\0'; }),
              value.end());
  value = WithoutBlanksAround(value);
  while (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
    value = WithoutBlanksAround(value.substr(1));
  }
  return value;
}

std::vector<Text> Lines(const Text& content) {
  std::vector<Text> lines;
  for (std::size_t at = 0; at < content.size();) {
    const std::size_t end = std::min(content.find('\n', at), content.size() - 1) + 1;
    lines.push_back(content.substr(at, end - at));
    at = end;
  }
  return lines;
}

Text WithoutLineEnd(Text line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// The lines before and after the write differ in one place: one line replaced, or up to two
// lines inserted (a new key, or a new section with its key). Only a last line without a line
// end may gain one.
void CheckOnlyOnePlaceChanged(const Text& before, const Text& after) {
  const std::vector<Text> old = Lines(before);
  const std::vector<Text> now = Lines(after);
  const auto same = [&](std::size_t i, std::size_t j) {
    const bool lastWithoutEnd = i + 1 == old.size() && old[i].back() != '\n';
    return lastWithoutEnd ? WithoutLineEnd(old[i]) == WithoutLineEnd(now[j]) : old[i] == now[j];
  };
  std::size_t prefix = 0;
  while (prefix < old.size() && prefix < now.size() && same(prefix, prefix)) ++prefix;
  std::size_t suffix = 0;
  while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
         same(old.size() - 1 - suffix, now.size() - 1 - suffix)) {
    ++suffix;
  }
  const std::size_t removed = old.size() - prefix - suffix;
  const std::size_t added = now.size() - prefix - suffix;
  if (removed > 1 || added > 2 || added < removed)
    nimbrel::fuzz::Fail("more than one place changed");
}

bool SameNameRoughly(const Text& a, const Text& b) {
  const auto fold = [](Text t) {
    t = WithoutBlanksAround(t);
    for (char& c : t) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return t;
  };
  return fold(a) == fold(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const Text section = input.ConsumeRandomLengthString(24);
  const Text key = input.ConsumeRandomLengthString(24);
  const Text value = Writable(input.ConsumeRandomLengthString(64));
  const Text otherSection = input.ConsumeRandomLengthString(24);
  const Text otherKey = input.ConsumeRandomLengthString(24);
  const Text content = input.ConsumeRemainingBytesAsString();
  if (!Writable(section, key)) return -1;

  static const std::string path = nimbrel::fuzz::ScratchFile("boot.ini");
  nimbrel::fuzz::WriteBytes(path, content);
  nimbrel::IniFileStore store;
  const Text otherBefore = store.ReadString(path, otherSection, otherKey, "\x01");
  store.ReadString(path, section, key, "\x01");

  if (!store.WriteString(path, section, key, value)) {
    if (nimbrel::fuzz::ReadBytes(path) != content)
      nimbrel::fuzz::Fail("a refused write changed the file");
    return 0;
  }
  if (store.ReadString(path, section, key, "\x01") != value)
    nimbrel::fuzz::Fail("the value written does not read back");
  CheckOnlyOnePlaceChanged(content, nimbrel::fuzz::ReadBytes(path));
  const bool sameEntry = SameNameRoughly(section, otherSection) && SameNameRoughly(key, otherKey);
  if (!sameEntry && store.ReadString(path, otherSection, otherKey, "\x01") != otherBefore) {
    nimbrel::fuzz::Fail("another value changed");
  }
  return 0;
}
