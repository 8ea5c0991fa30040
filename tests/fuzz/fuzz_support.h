#pragma once

// What the harnesses share: a scratch file of this fuzzing process, rewritten for every
// input, and the report of a broken property.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace nimbrel::fuzz {

inline std::string ScratchFile(const char* name) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("nimbrel-fuzz-" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  return (directory / name).string();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// libFuzzer saves the input that led here.
[[noreturn]] inline void Fail(const char* property) {
  std::fprintf(stderr, "broken: %s\n", property);
  std::abort();
}

}  // namespace nimbrel::fuzz
