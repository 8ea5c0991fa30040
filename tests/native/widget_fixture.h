#pragma once

// Runs the whole program against the recording fake, in a temporary program directory.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "tests/fake/fake_platform.h"
#include "widget/widget.h"

namespace nimbrel::testing {

class WidgetFixture : public ::testing::Test {
 protected:
  static std::string MakeDirectory() {
    char pattern[] = "/tmp/nimbrel-widget-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    return pattern;
  }
  ~WidgetFixture() override { std::filesystem::remove_all(directory_); }

  std::string BootIniPath() const { return directory_ + "/boot.ini"; }
  // The program directory as the program sees it: the module path cut at its last backslash.
  std::string ProgramDirectoryText() const { return directory_; }

  void WriteBootIni(const std::string& content) {
    std::ofstream(BootIniPath(), std::ios::binary) << content;
  }
  std::string ReadBootIni() const {
    std::ifstream in(BootIniPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Runs the program: `whileRunning` is what the user does while the message loop runs.
  // Returns the exit code, or INT_MIN when the program did not end.
  int RunProgram(std::function<void()> whileRunning = {}) {
    desktop.messageLoopActions = std::move(whileRunning);
    widget = std::make_unique<Widget>(
        PlatformServices{desktop, process, autorun, profile, iconImage, bannerImage});
    try {
      widget->Run();
    } catch (const fake::ProcessExit& exit) {
      return exit.exitCode;
    }
    return INT_MIN;
  }

  fake::FakeWindow& Main() { return *desktop.window("w1"); }

  // Asks the fake desktop's monitors about MainWindow's designed outer size.
  MonitorProbe OnDesktop() const {
    return [this](int left, int top) { return desktop.OverlapsAMonitor({left, top, 258, 194}); };
  }

  // The calls logged after the first entry equal to `marker`.
  fake::CallLog CallsAfter(const std::string& marker) const {
    auto found = std::find(log.begin(), log.end(), marker);
    return found == log.end() ? fake::CallLog() : fake::CallLog(std::next(found), log.end());
  }
  fake::CallLog CallsBetween(const std::string& first, const std::string& last) const {
    auto begin = std::find(log.begin(), log.end(), first);
    auto end = std::find(begin, log.end(), last);
    if (begin == log.end()) return {};
    return fake::CallLog(std::next(begin), end);
  }
  int Count(const std::string& prefix) const {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& call) {
      return call.rfind(prefix, 0) == 0;
    }));
  }
  bool Logged(const std::string& call) const {
    return std::find(log.begin(), log.end(), call) != log.end();
  }

  std::string directory_ = MakeDirectory();
  fake::CallLog log;
  fake::FakeDesktop desktop{log};
  fake::FakeProcess process{log, directory_ + "\\Nimbrel.exe"};
  fake::FakeAutorun autorun{log};
  fake::RecordingProfileStore profile{log};
  Bytes iconImage{0, 0, 1, 0, 1, 0};
  Bytes bannerImage{0xFF, 0xD8};
  std::unique_ptr<Widget> widget;
};

}  // namespace nimbrel::testing
