#pragma once

// Cases every ProfileStore has to pass, played natively against IniFileStore and under Wine
// against both IniFileStore and kernel32 itself. Wine's kernel32 rewrites the whole file from
// what it parsed (blank lines dropped, blanks around '=' trimmed, line ends made CRLF), so the
// cases that keep untouched lines byte for byte are marked and hold for our store only.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/profile_store.h"

namespace nimbrel::conformance {

enum class Operation { kRead, kWrite };

struct ProfileStoreCase {
  std::string name;
  std::optional<std::string> initial;  // the file's bytes; nothing: no file at all
  Operation operation;
  std::string section;
  std::string key;
  std::string argument;  // the default of a read, the value of a write
  std::string expected;  // the value read, or the whole file after the write
  bool wineDiffers = false;
};

// Failure messages name the case instead of dumping its bytes.
inline void PrintTo(const ProfileStoreCase& c, std::ostream* out) {
  *out << c.name;
}

inline constexpr std::size_t kLongestValue = ProfileStore::kValueBufferSize - 1;

inline std::vector<ProfileStoreCase> ReadCases() {
  const std::string longValue(kLongestValue + 1000, 'v');
  return {
      {"SectionAndKeyIgnoreCase", "[SET]\r\nProvince=a\r\n", Operation::kRead, "set", "province",
       "dflt", "a"},
      {"LowerCaseFileUpperCaseQuery", "[set]\r\nprovince=b\r\n", Operation::kRead, "SET",
       "Province", "dflt", "b"},
      {"MissingFileGivesDefault", std::nullopt, Operation::kRead, "set", "key", "dflt", "dflt"},
      {"MissingSectionGivesDefault", "[other]\r\nkey=v\r\n", Operation::kRead, "set", "key", "dflt",
       "dflt"},
      {"MissingKeyGivesDefault", "[set]\r\nother=v\r\n", Operation::kRead, "set", "key", "dflt",
       "dflt"},
      {"KeyOfAnotherSectionIsNotFound", "[a]\r\nkey=1\r\n[set]\r\nx=2\r\n", Operation::kRead, "set",
       "key", "dflt", "dflt"},
      {"SecondSectionIsSearched", "[a]\r\nkey=1\r\n[set]\r\nkey=2\r\n", Operation::kRead, "set",
       "key", "dflt", "2"},
      {"BlanksAroundNameAndValueTrimmed", "[set]\r\n  key \t= \t two  words \t\r\n",
       Operation::kRead, "set", "key", "dflt", "two  words"},
      {"BlanksAroundSectionNameTrimmed", "[ set ]\r\nkey=v\r\n", Operation::kRead, "set", "key",
       "dflt", "v"},
      {"DoubleQuotesRemoved", "[set]\r\nkey=\" quoted \"\r\n", Operation::kRead, "set", "key",
       "dflt", " quoted "},
      {"OnlyOnePairOfQuotesRemoved", "[set]\r\nkey=\"\"x\"\"\r\n", Operation::kRead, "set", "key",
       "dflt", "\"x\""},
      // Wine's kernel32 strips single quotes just like double ones.
      {"SingleQuotesRemoved", "[set]\r\nkey='x y'\r\n", Operation::kRead, "set", "key", "dflt",
       "x y"},
      {"UnmatchedQuoteKept", "[set]\r\nkey=\"abc\r\n", Operation::kRead, "set", "key", "dflt",
       "\"abc"},
      {"MixedQuotesKept", "[set]\r\nkey=\"abc'\r\n", Operation::kRead, "set", "key", "dflt",
       "\"abc'"},
      {"LoneQuoteKept", "[set]\r\nkey=\"\r\n", Operation::kRead, "set", "key", "dflt", "\""},
      {"EmptyValueIsNotTheDefault", "[set]\r\nkey=\r\n", Operation::kRead, "set", "key", "dflt",
       ""},
      {"BlankValueIsNotTheDefault", "[set]\r\nkey=   \r\n", Operation::kRead, "set", "key", "dflt",
       ""},
      {"LongValueCut", "[set]\r\nkey=" + longValue + "\r\n", Operation::kRead, "set", "key", "dflt",
       longValue.substr(0, kLongestValue)},
      {"ValueOfExactlyTheLimitKept", "[set]\r\nkey=" + longValue.substr(0, kLongestValue) + "\r\n",
       Operation::kRead, "set", "key", "dflt", longValue.substr(0, kLongestValue)},
      {"FirstOfTwoEqualSignsSplits", "[set]\r\nkey=a=b\r\n", Operation::kRead, "set", "key", "dflt",
       "a=b"},
      {"LineFeedOnlyLines", "[set]\nzoom=1\nkey=lf\n", Operation::kRead, "set", "key", "dflt",
       "lf"},
      {"LastLineWithoutLineEnd", "[set]\r\nkey=end", Operation::kRead, "set", "key", "dflt", "end"},
      {"DoubleByteValueUnchanged", "[set]\r\nkey=\xB0\xB2\xBB\xD5\r\n", Operation::kRead, "set",
       "key", "dflt", "\xB0\xB2\xBB\xD5"},
      {"DoubleByteNamesMatch", "[\xB0\xB2\xBB\xD5]\r\n\xBA\xCF\xB7\xCA=\xB3\xC7\r\n",
       Operation::kRead, "\xB0\xB2\xBB\xD5", "\xBA\xCF\xB7\xCA", "dflt", "\xB3\xC7"},
      // 0x815D is one character whose second byte is the code of ']'.
      {"TrailByteOfABracketInsideASectionName", "[\x81\x5D\xB0\xB2]\r\nkey=v\r\n", Operation::kRead,
       "\x81\x5D\xB0\xB2", "key", "dflt", "v"},
      {"TrailBytesOfSectionNamesAreNotCaseFolded", "[\x81\x41]\r\nkey=v\r\n", Operation::kRead,
       "\x81\x61", "key", "dflt", "dflt"},
      {"TrailBytesOfKeysAreNotCaseFolded", "[set]\r\n\x81\x41=v\r\n", Operation::kRead, "set",
       "\x81\x61", "dflt", "dflt"},
      {"DoubleByteNameWithALetterTrailByteMatchesItself", "[\x81\x41]\r\n\x81\x41=v\r\n",
       Operation::kRead, "\x81\x41", "\x81\x41", "dflt", "v"},
      {"TrailingBlanksOfRequestedNamesTrimmed", "[set]\r\nkey=v\r\n", Operation::kRead, "set \t",
       "key  ", "dflt", "v"},
  };
}

// A profile as people edit it by hand: comments, blank lines, blanks around '='.
inline const std::string kHandEdited =
    "; Nimbrel\r\n"
    "[set]\r\n"
    "zoom=1\r\n"
    "key=old\r\n"
    "; the city\r\n"
    "city = \xBA\xCF\xB7\xCA \r\n"
    "\r\n"
    "[next]\r\n"
    "key=n\r\n";

inline std::vector<ProfileStoreCase> WriteCases() {
  return {
      {"ReplacesInPlace", "[set]\r\nzoom=1\r\nkey=old\r\n[next]\r\nkey=n\r\n", Operation::kWrite,
       "set", "key", "new", "[set]\r\nzoom=1\r\nkey=new\r\n[next]\r\nkey=n\r\n"},
      {"ReplacesInPlaceKeepingOtherLinesByteForByte", kHandEdited, Operation::kWrite, "set", "key",
       "new",
       "; Nimbrel\r\n[set]\r\nzoom=1\r\nkey=new\r\n; the city\r\ncity = \xBA\xCF\xB7\xCA "
       "\r\n\r\n[next]\r\nkey=n\r\n",
       true},
      {"ReplacementKeepsTheNameAsWritten", "[SET]\r\nProvince=a\r\n", Operation::kWrite, "set",
       "province", "b", "[SET]\r\nProvince=b\r\n"},
      {"ReplacesOnlyInItsSection", "[a]\r\nkey=1\r\n\r\n[set]\r\nkey=2\r\n", Operation::kWrite,
       "set", "key", "3", "[a]\r\nkey=1\r\n\r\n[set]\r\nkey=3\r\n", true},
      {"NewKeyAfterTheLastLineOfItsSection", "[set]\r\nzoom=1\r\n\r\n[next]\r\nx=1\r\n",
       Operation::kWrite, "set", "key", "v", "[set]\r\nzoom=1\r\nkey=v\r\n\r\n[next]\r\nx=1\r\n",
       true},
      {"NewKeyBeforeBlankLinesOfItsSection", "[set]\r\nzoom=1\r\n\r\n\r\n\r\n[next]\r\nx=1\r\n",
       Operation::kWrite, "set", "key", "v",
       "[set]\r\nzoom=1\r\nkey=v\r\n\r\n\r\n\r\n[next]\r\nx=1\r\n", true},
      {"NewKeyBeforeTheNextSection", "[set]\r\nzoom=1\r\n[next]\r\nx=1\r\n", Operation::kWrite,
       "set", "key", "v", "[set]\r\nzoom=1\r\nkey=v\r\n[next]\r\nx=1\r\n"},
      {"NewKeyInSectionOfOtherCase", "[SET]\r\nzoom=1\r\n", Operation::kWrite, "set", "key", "v",
       "[SET]\r\nzoom=1\r\nkey=v\r\n"},
      {"NewKeyAtTheEndOfTheLastSection", "[set]\r\nzoom=1\r\n", Operation::kWrite, "set", "key",
       "v", "[set]\r\nzoom=1\r\nkey=v\r\n"},
      {"NewKeyAfterALastLineWithoutLineEnd", "[set]\r\nzoom=1", Operation::kWrite, "set", "key",
       "v", "[set]\r\nzoom=1\r\nkey=v\r\n"},
      {"NewSectionAtTheEndOfTheFile", "[set]\r\nzoom=1\r\n", Operation::kWrite, "city", "key", "v",
       "[set]\r\nzoom=1\r\n[city]\r\nkey=v\r\n"},
      {"NewFile", std::nullopt, Operation::kWrite, "set", "key", "value", "[set]\r\nkey=value\r\n"},
      {"EmptyFile", "", Operation::kWrite, "set", "key", "value", "[set]\r\nkey=value\r\n"},
      {"LineFeedLinesKeptNewLineWithCrLf", "[set]\nzoom=1\n", Operation::kWrite, "set", "key", "v",
       "[set]\nzoom=1\nkey=v\r\n", true},
      {"EmptyValueWritten", "[set]\r\nkey=old\r\n", Operation::kWrite, "set", "key", "",
       "[set]\r\nkey=\r\n"},
      {"DoubleByteNamesAndValueUnchanged", std::nullopt, Operation::kWrite, "\xB0\xB2\xBB\xD5",
       "\xBA\xCF\xB7\xCA", "\xB3\xC7\xCA\xD0",
       "[\xB0\xB2\xBB\xD5]\r\n\xBA\xCF\xB7\xCA=\xB3\xC7\xCA\xD0\r\n"},
      {"DoubleByteLinesAroundAReplacementUnchanged",
       "[\xB0\xB2\xBB\xD5]\r\na=\xBA\xCF\xB7\xCA\r\nkey=1\r\nb=\xB3\xC7\r\n", Operation::kWrite,
       "\xB0\xB2\xBB\xD5", "key", "2",
       "[\xB0\xB2\xBB\xD5]\r\na=\xBA\xCF\xB7\xCA\r\nkey=2\r\nb=\xB3\xC7\r\n"},
      {"ReplacementFoundWithTrailingBlanksOfRequestedNames", "[set]\r\nkey=old\r\n",
       Operation::kWrite, "set ", "key ", "new", "[set]\r\nkey=new\r\n"},
      {"NewSectionAndKeyKeepTheirTrailingBlanks", std::nullopt, Operation::kWrite, "set ", "key ",
       "v", "[set ]\r\nkey =v\r\n"},
      {"ReplacesInASectionWithABracketTrailByte", "[\x81\x5D]\r\nkey=old\r\n", Operation::kWrite,
       "\x81\x5D", "key", "new", "[\x81\x5D]\r\nkey=new\r\n"},
  };
}

inline std::vector<ProfileStoreCase> AllCases() {
  std::vector<ProfileStoreCase> cases = ReadCases();
  for (ProfileStoreCase& c : WriteCases()) cases.push_back(std::move(c));
  return cases;
}

inline std::optional<std::string> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void PrepareFile(const std::string& path, const ProfileStoreCase& c) {
  std::remove(path.c_str());
  if (!c.initial) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(c.initial->data(), static_cast<std::streamsize>(c.initial->size()));
}

// What a store made of a case: the value read, or the file after a successful write.
inline std::optional<std::string> Play(ProfileStore& store, const std::string& path,
                                       const ProfileStoreCase& c) {
  PrepareFile(path, c);
  if (c.operation == Operation::kRead) {
    return store.ReadString(path, c.section, c.key, c.argument);
  }
  if (!store.WriteString(path, c.section, c.key, c.argument)) return std::nullopt;
  return FileBytes(path);
}

}  // namespace nimbrel::conformance
