// The process services, against the real kernel32, ole32 and user32.

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/win32_process.h"
#include "tests/test_texts.h"

namespace nimbrel {
namespace {

TEST(ProcessTest, OnlyOneInstanceHoldsTheClaimAndLetsGoWhenItEnds) {
  auto first = std::make_unique<win32::Win32Process>();
  EXPECT_TRUE(first->ClaimSingleInstance());
  {
    win32::Win32Process second;
    EXPECT_FALSE(second.ClaimSingleInstance());
  }
  EXPECT_TRUE(win32::UniqueKernelHandle(::OpenMutexA(SYNCHRONIZE, FALSE, "Local\\Nimbrel.Widget")));
  first.reset();
  win32::Win32Process third;
  EXPECT_TRUE(third.ClaimSingleInstance());
}

TEST(ProcessTest, ModulePathIsTheExecutables) {
  win32::Win32Process process;
  char expected[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, expected, MAX_PATH);
  const Text path = process.ModulePath();
  EXPECT_EQ(path, expected);
  EXPECT_EQ(path.find('\0'), Text::npos);
  ASSERT_GT(path.size(), 16u);
  EXPECT_EQ(path.substr(path.size() - 16), "process_test.exe");
}

TEST(ProcessTest, CurrentDirectoryIsSet) {
  win32::Win32Process process;
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  char original[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, original);
  process.SetCurrentDirectory(temp);
  char now[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, now);
  ::SetCurrentDirectoryA(original);
  std::string expected = temp;
  if (!expected.empty() && expected.back() == '\\') expected.pop_back();
  EXPECT_EQ(std::string(now), expected);
}

TEST(ProcessTest, OleIsInitialisedUntilUninitialised) {
  win32::Win32Process process;
  process.InitializeOle();
  // A second initialisation on the same thread only counts up.
  EXPECT_EQ(::OleInitialize(nullptr), S_FALSE);
  ::OleUninitialize();
  process.UninitializeOle();
  EXPECT_EQ(::OleInitialize(nullptr), S_OK);
  ::OleUninitialize();
}

struct SeenBox {
  std::string text;
  LONG iconStyle = 0;
  bool found = false;
};

// Finds the message box on `thread`, reads it and presses OK; gives up after the patience.
void AnswerMessageBox(DWORD thread, SeenBox* seen) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const HWND box = ::FindWindowA("#32770", "Nimbrel");
    if (box && ::GetWindowThreadProcessId(box, nullptr) == thread) {
      char text[128] = {};
      ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
      seen->text = text;
      seen->iconStyle = ::GetWindowLongA(::GetDlgItem(box, 0x0440), GWL_STYLE);
      seen->found = true;
      ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TEST(ProcessTest, ErrorMessageIsAnOkBoxTitledWithTheProgram) {
  win32::Win32Process process;
  SeenBox seen;
  std::thread answerer(AnswerMessageBox, ::GetCurrentThreadId(), &seen);
  process.ShowErrorMessage(kCannotConnectMessage);
  answerer.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, kCannotConnectMessage);
  EXPECT_EQ(seen.iconStyle & WS_VISIBLE, WS_VISIBLE) << "an error icon is shown";
}

TEST(ProcessDeathTest, ExitEndsTheProcessWithItsCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  win32::Win32Process process;
  EXPECT_EXIT(process.Exit(7), ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace nimbrel
