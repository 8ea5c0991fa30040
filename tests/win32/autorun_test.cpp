#include "platform/win32/win32_autorun.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/unique_handles.h"

namespace nimbrel::win32 {
namespace {

constexpr char kName[] = "NimbrelAutorunTest";
constexpr char kTestKey[] = "Software\\NimbrelAutorunTest";

struct RunValue {
  DWORD type;
  std::string data;
  DWORD size;
};

std::optional<RunValue> ReadRunValue(HKEY root, const std::string& name) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, kRunKeyPath, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const UniqueKey key(opened);
  char data[1024] = {};
  RunValue value{0, {}, sizeof data};
  if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type,
                         reinterpret_cast<BYTE*>(data), &value.size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data = data;
  return value;
}

bool WriteRunValue(HKEY root, const std::string& name, const std::string& data) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, kRunKeyPath, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueKey key(opened);
  return ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root, const std::string& name) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, kRunKeyPath, 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
    const UniqueKey key(opened);
    ::RegDeleteValueA(key.get(), name.c_str());
  }
}

UniqueKey CreateKey(HKEY root, const std::string& path) {
  HKEY created = nullptr;
  EXPECT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                              nullptr),
            ERROR_SUCCESS);
  return UniqueKey(created);
}

std::string ThisExecutable() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

std::string TemporaryDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH, path);
  return std::string(path, length);
}

std::string StartupFolder() {
  char folder[MAX_PATH] = {};
  EXPECT_TRUE(::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE));
  return folder;
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Each test starts and ends with no trace of the test name in either Run key, the Startup
// folder or the test's own keys: the Wine prefix is the test's, but it outlives the run.
class AutorunTest : public testing::Test {
 protected:
  void SetUp() override { CleanUp(); }
  void TearDown() override { CleanUp(); }

  void CleanUp() {
    DeleteRunValue(HKEY_LOCAL_MACHINE, kName);
    DeleteRunValue(HKEY_CURRENT_USER, kName);
    ::DeleteFileA(ShortcutPath().c_str());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  }

  static std::string ShortcutPath() { return StartupFolder() + "\\" + kName + ".lnk"; }
  static void CreateShortcut() {
    const UniqueKernelHandle file(::CreateFileA(ShortcutPath().c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
  }

  // Stand-ins for the two roots: each holds the Run key path below it, or not.
  struct TestRoots {
    UniqueKey machine;
    UniqueKey user;
    AutorunRoots roots() const { return {machine.get(), user.get()}; }
  };
  static TestRoots MakeRoots(bool machineHasRunKey) {
    TestRoots roots{CreateKey(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Machine"),
                    CreateKey(HKEY_CURRENT_USER, std::string(kTestKey) + "\\User")};
    if (machineHasRunKey) CreateKey(roots.machine.get(), kRunKeyPath);
    CreateKey(roots.user.get(), kRunKeyPath);
    return roots;
  }
};

TEST_F(AutorunTest, MissingExecutableWritesNothing) {
  Win32Autorun autorun;
  EXPECT_EQ(autorun.RegisterAutorun(kName, "C:\\nowhere\\Nimbrel.exe"), 0);
  EXPECT_FALSE(ReadRunValue(HKEY_LOCAL_MACHINE, kName));
  EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, kName));
}

TEST_F(AutorunTest, PathWithoutBlanksIsStoredAsItIsUnderTheMachineKey) {
  const std::string path = ThisExecutable();
  ASSERT_EQ(path.find(' '), std::string::npos) << "run the test from a path without blanks";
  Win32Autorun autorun;
  EXPECT_EQ(autorun.RegisterAutorun(kName, path), 1);
  const auto value = ReadRunValue(HKEY_LOCAL_MACHINE, kName);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value->data, path);
  EXPECT_EQ(value->size, path.size() + 1);
  EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, kName));
}

TEST_F(AutorunTest, PathWithABlankIsStoredInQuotes) {
  const std::string directory = TemporaryDirectory() + "Nimbrel Autorun Test";
  ::CreateDirectoryA(directory.c_str(), nullptr);
  const std::string path = directory + "\\Nimbrel.exe";
  ASSERT_TRUE(::CopyFileA(ThisExecutable().c_str(), path.c_str(), FALSE));
  Win32Autorun autorun;
  EXPECT_EQ(autorun.RegisterAutorun(kName, path), 1);
  const auto value = ReadRunValue(HKEY_LOCAL_MACHINE, kName);
  ::DeleteFileA(path.c_str());
  ::RemoveDirectoryA(directory.c_str());
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value->data, "\"" + path + "\"");
  EXPECT_EQ(value->size, path.size() + 3);
}

TEST_F(AutorunTest, MachineKeyThatCannotBeOpenedFallsBackToTheUser) {
  const TestRoots roots = MakeRoots(false);
  Win32Autorun autorun(roots.roots());
  EXPECT_EQ(autorun.RegisterAutorun(kName, ThisExecutable()), 1);
  const auto value = ReadRunValue(roots.user.get(), kName);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, ThisExecutable());
  // The machine's key is only ever opened, never created.
  HKEY opened = nullptr;
  EXPECT_NE(::RegOpenKeyExA(roots.machine.get(), kRunKeyPath, 0, KEY_READ, &opened), ERROR_SUCCESS);
}

// Gives a key a DACL for as long as it lives, through a handle opened before the change so
// that the permissive one can be put back for the clean-up.
class KeyAccess {
 public:
  KeyAccess(HKEY key, const char* dacl) : key_(key) { Set(dacl); }
  ~KeyAccess() { Set("D:(A;;KA;;;WD)"); }
  KeyAccess(const KeyAccess&) = delete;
  KeyAccess& operator=(const KeyAccess&) = delete;

 private:
  void Set(const char* dacl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(dacl, SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    EXPECT_EQ(::RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    ::LocalFree(descriptor);
  }
  HKEY key_;
};

TEST_F(AutorunTest, MachineKeyThatRefusesTheWriteFallsBackToTheUser) {
  const TestRoots roots = MakeRoots(true);
  const UniqueKey run = CreateKey(roots.machine.get(), kRunKeyPath);
  // Everyone may read the stand-in machine key and nobody may write it.
  const KeyAccess readOnly(run.get(), "D:P(A;;KR;;;WD)");
  {
    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyA(roots.machine.get(), kRunKeyPath, &opened), ERROR_SUCCESS);
    const UniqueKey key(opened);
    const BYTE probe[] = "x";
    ASSERT_EQ(::RegSetValueExA(key.get(), kName, 0, REG_SZ, probe, sizeof probe),
              ERROR_ACCESS_DENIED)
        << "the key opens for writing after all";
  }

  Win32Autorun autorun(roots.roots());
  EXPECT_EQ(autorun.RegisterAutorun(kName, ThisExecutable()), 1);
  EXPECT_FALSE(ReadRunValue(roots.machine.get(), kName));
  const auto value = ReadRunValue(roots.user.get(), kName);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->data, ThisExecutable());
}

TEST_F(AutorunTest, NeitherKeyWritableGivesZero) {
  const TestRoots roots = MakeRoots(false);
  ::RegDeleteTreeA(roots.user.get(), "Software");
  Win32Autorun autorun(roots.roots());
  EXPECT_EQ(autorun.RegisterAutorun(kName, ThisExecutable()), 0);
}

TEST_F(AutorunTest, UnregisterDeletesTheShortcutAndBothValues) {
  Win32Autorun autorun;
  ASSERT_EQ(autorun.RegisterAutorun(kName, ThisExecutable()), 1);
  ASSERT_TRUE(WriteRunValue(HKEY_CURRENT_USER, kName, ThisExecutable()));
  CreateShortcut();
  EXPECT_EQ(autorun.UnregisterAutorun(kName), 1);
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_FALSE(ReadRunValue(HKEY_LOCAL_MACHINE, kName));
  EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, kName));
  EXPECT_EQ(autorun.UnregisterAutorun(kName), 0);
}

TEST_F(AutorunTest, UnregisterReportsWhatItFound) {
  struct Case {
    const char* name;
    bool shortcut;
    bool machineValue;
    bool userValue;
    int expected;
  };
  const Case cases[] = {
      {"nothing", false, false, false, 0},           {"shortcut only", true, false, false, 1},
      {"machine value only", false, true, false, 1}, {"user value only", false, false, true, 1},
      {"both values", false, true, true, 1},         {"everything", true, true, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TestRoots roots = MakeRoots(true);
    if (c.shortcut) CreateShortcut();
    if (c.machineValue) {
      ASSERT_TRUE(WriteRunValue(roots.machine.get(), kName, "x"));
    }
    if (c.userValue) {
      ASSERT_TRUE(WriteRunValue(roots.user.get(), kName, "x"));
    }
    Win32Autorun autorun(roots.roots());
    EXPECT_EQ(autorun.UnregisterAutorun(kName), c.expected);
    EXPECT_FALSE(FileExists(ShortcutPath()));
    EXPECT_FALSE(ReadRunValue(roots.machine.get(), kName));
    EXPECT_FALSE(ReadRunValue(roots.user.get(), kName));
    CleanUp();
  }
}

TEST_F(AutorunTest, NameTooLongForAShortcutPathStillDeletesTheValue) {
  const std::string longName(MAX_PATH, 'n');
  const TestRoots roots = MakeRoots(true);
  ASSERT_TRUE(WriteRunValue(roots.user.get(), longName, "x"));
  Win32Autorun autorun(roots.roots());
  EXPECT_EQ(autorun.UnregisterAutorun(longName), 1);
  EXPECT_FALSE(ReadRunValue(roots.user.get(), longName));
  EXPECT_EQ(autorun.UnregisterAutorun(longName), 0);
}

}  // namespace
}  // namespace nimbrel::win32
