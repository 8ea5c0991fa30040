#include "core/ini_file_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace nimbrel {
namespace {

constexpr char kNewLine[] = "\r\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

Text Trim(const Text& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsDoubleByte(const Text& text, std::size_t i) {
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
}

// kernel32 reads the file as characters of the ANSI code page, so the second byte of a
// double-byte character is never a bracket and never folded as a letter.
std::size_t FindCharacter(const Text& text, char wanted) {
  for (std::size_t i = 0; i < text.size(); i += StartsDoubleByte(text, i) ? 2 : 1) {
    if (text[i] == wanted) return i;
  }
  return Text::npos;
}

// Names match regardless of ASCII letter case; double-byte characters match only exactly.
bool SameName(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (StartsDoubleByte(a, i)) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
  }
  return true;
}

Text Unquote(const Text& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool IsUtf16(const Text& content) {
  return content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                 (content[0] == '\xFE' && content[1] == '\xFF'));
}

// Reads the whole file; nothing when it is missing, a directory or unreadable.
std::optional<Text> ReadFile(const Text& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Text(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One physical line of the file, with its line end kept so that untouched lines are written
// back byte for byte.
struct Line {
  std::size_t begin;  // offset of the first byte
  std::size_t end;    // offset past the last byte before the line end
  std::size_t next;   // offset past the line end
};

class IniText {
 public:
  explicit IniText(Text content) : content_(std::move(content)) {
    for (std::size_t pos = 0; pos < content_.size();) {
      const std::size_t newline = content_.find('\n', pos);
      const std::size_t next = newline == Text::npos ? content_.size() : newline + 1;
      std::size_t end = newline == Text::npos ? content_.size() : newline;
      if (end > pos && content_[end - 1] == '\r') --end;
      lines_.push_back({pos, end, next});
      pos = next;
    }
  }

  const Text& content() const { return content_; }

  std::optional<Text> SectionName(const Line& line) const {
    const Text text = Trim(LineText(line));
    if (text.size() < 2 || text.front() != '[') return std::nullopt;
    const std::size_t close = FindCharacter(text, ']');
    if (close == Text::npos) return std::nullopt;
    return Trim(text.substr(1, close - 1));
  }

  // The key and the raw value of a "key=value" line.
  std::optional<std::pair<Text, Text>> Entry(const Line& line) const {
    const Text text = LineText(line);
    const std::size_t equals = text.find('=');
    if (equals == Text::npos) return std::nullopt;
    return std::make_pair(Trim(text.substr(0, equals)), text.substr(equals + 1));
  }

  // Index of the section's header line.
  std::optional<std::size_t> FindSection(const Text& section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (const auto name = SectionName(lines_[i]); name && SameName(*name, section)) return i;
    }
    return std::nullopt;
  }

  // Index one past the section's last line (the next header or the end of the file).
  std::size_t SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionName(lines_[i])) ++i;
    return i;
  }

  std::optional<std::size_t> FindKey(std::size_t header, const Text& key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
      if (const auto entry = Entry(lines_[i]); entry && SameName(entry->first, key)) return i;
    }
    return std::nullopt;
  }

  // Where a new key of the section goes: after its last line that is not blank.
  std::size_t InsertionOffset(std::size_t header) const {
    std::size_t last = header;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
      if (!Trim(LineText(lines_[i])).empty()) last = i;
    }
    return lines_[last].next;
  }

  const Line& line(std::size_t index) const { return lines_[index]; }
  bool EndsWithNewLine() const { return content_.empty() || content_.back() == '\n'; }

 private:
  Text LineText(const Line& line) const {
    return content_.substr(line.begin, line.end - line.begin);
  }

  Text content_;
  std::vector<Line> lines_;
};

bool ReplaceFile(const Text& path, const Text& content) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(path, error) && !fs::is_regular_file(path, error)) return false;
  {
    // Probe for write access first: a read-only boot.ini must stay as it is even though the
    // rename below would only need the directory to be writable.
    std::ofstream probe(path, std::ios::binary | std::ios::app);
    if (!probe) return false;
  }
  const Text temporary = path + ".saving";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temporary, error);
      return false;
    }
  }
  fs::rename(temporary, path, error);
  if (error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

Text IniFileStore::ReadString(const Text& file, const Text& section, const Text& key,
                              const Text& fallback) const {
  const std::optional<Text> content = ReadFile(file);
  if (!content || IsUtf16(*content)) return fallback;
  const IniText ini(*content);
  const auto header = ini.FindSection(Trim(section));
  if (!header) return fallback;
  const auto index = ini.FindKey(*header, Trim(key));
  if (!index) return fallback;
  Text value = Unquote(Trim(ini.Entry(ini.line(*index))->second));
  if (value.size() >= kValueBufferSize) value.resize(kValueBufferSize - 1);
  return value;
}

bool IniFileStore::WriteString(const Text& file, const Text& section, const Text& key,
                               const Text& value) {
  std::error_code error;
  const bool exists = std::filesystem::exists(file, error);
  const std::optional<Text> content = ReadFile(file);
  if (exists && (!content || IsUtf16(*content))) return false;

  // Blanks around a requested name play no part in the search; a new line takes the names as
  // they were given, as kernel32 writes them.
  const IniText ini(content.value_or(Text()));
  const Text entry = key + "=" + value;
  Text updated = ini.content();
  if (const auto header = ini.FindSection(Trim(section))) {
    if (const auto index = ini.FindKey(*header, Trim(key))) {
      // The name keeps the spelling it has in the file, as kernel32 leaves it.
      const Line& line = ini.line(*index);
      updated.replace(line.begin, line.end - line.begin, ini.Entry(line)->first + "=" + value);
    } else {
      const std::size_t at = ini.InsertionOffset(*header);
      const bool needsBreak = at > 0 && updated[at - 1] != '\n';
      updated.insert(at, (needsBreak ? kNewLine : "") + entry + kNewLine);
    }
  } else {
    if (!ini.EndsWithNewLine()) updated += kNewLine;
    updated += "[" + section + "]" + kNewLine + entry + kNewLine;
  }
  return ReplaceFile(file, updated);
}

}  // namespace nimbrel
