// The settings store against the real registry (of the test Wine prefix).
#include <gtest/gtest.h>

#include <string>

#include "CRegistry.h"
#include "ShellTestSupport.h"

namespace {

class CRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteKey(HKEY_CURRENT_USER, kUserKey);
    DeleteKey(HKEY_LOCAL_MACHINE, kMachineKey);
  }
  void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(CRegistryTest, FirstStartCreatesThePerUserKeyAndReadsDefaults) {
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserKey));
  CRegistry settings;
  ASSERT_TRUE(settings.OpenAppKey("Vantrel"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserKey));
  EXPECT_EQ(settings.ReadDword("PositionX", 128u), 128u);
  EXPECT_EQ(settings.ReadString("LastDir", ""), "");
  EXPECT_EQ(settings.ReadString("ImageFilename", "none"), "none");
  EXPECT_FALSE(settings.ReadBool("AccessFloppy", false));
}

TEST_F(CRegistryTest, ValuesOfAnotherTypeReadAsTheDefault) {
  SetDwordValue(HKEY_CURRENT_USER, kUserKey, "LastDir", 7);
  SetTextValue(HKEY_CURRENT_USER, kUserKey, "PositionX", "300");
  SetTextValue(HKEY_CURRENT_USER, kUserKey, "AccessFloppy", "1");
  CRegistry settings;
  ASSERT_TRUE(settings.OpenAppKey("Vantrel"));
  EXPECT_EQ(settings.ReadString("LastDir", ""), "");
  EXPECT_EQ(settings.ReadDword("PositionX", 5u), 5u);
  EXPECT_FALSE(settings.ReadBool("AccessFloppy", false));
  EXPECT_TRUE(settings.ReadBool("AccessFloppy", true));
}

TEST_F(CRegistryTest, FlagsAreDwordsAndAnyNonZeroIsTrue) {
  SetDwordValue(HKEY_CURRENT_USER, kUserKey, "Zero", 0);
  SetDwordValue(HKEY_CURRENT_USER, kUserKey, "Five", 5);
  SetDwordValue(HKEY_CURRENT_USER, kUserKey, "All", 0xFFFFFFFF);
  CRegistry settings;
  ASSERT_TRUE(settings.OpenAppKey("Vantrel"));
  EXPECT_FALSE(settings.ReadBool("Zero", true));
  EXPECT_TRUE(settings.ReadBool("Five", false));
  EXPECT_TRUE(settings.ReadBool("All", false));
  EXPECT_EQ(settings.ReadDword("All", 0), 0xFFFFFFFFu);
}

TEST_F(CRegistryTest, TextsUpTo512CharactersAreRead) {
  SetTextValue(HKEY_CURRENT_USER, kUserKey, "Long", std::string(600, 'x'));
  SetTextValue(HKEY_CURRENT_USER, kUserKey, "Limit", std::string(512, 'y'));
  SetTextValue(HKEY_CURRENT_USER, kUserKey, "Expand", "%TEMP%\\cards", REG_EXPAND_SZ);
  CRegistry settings;
  ASSERT_TRUE(settings.OpenAppKey("Vantrel"));
  EXPECT_EQ(settings.ReadString("Long", "default"), "default");
  EXPECT_EQ(settings.ReadString("Limit", ""), std::string(512, 'y'));
  EXPECT_EQ(settings.ReadString("Expand", ""), "%TEMP%\\cards");
}

TEST_F(CRegistryTest, WritesTextWithItsTerminatorAndFlagsAsDwords) {
  {
    CRegistry settings;
    ASSERT_TRUE(settings.OpenAppKey("Vantrel"));
    settings.WriteString("LastDir", "D:\\Photos back");
    settings.WriteBool("Flag", true);
    settings.WriteBool("Other", false);
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  char text[64] = {};
  DWORD type = 0, size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "LastDir", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof "D:\\Photos back");
  DWORD flag = 9;
  size = sizeof flag;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, reinterpret_cast<BYTE*>(&flag), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(flag, 0u);
  RegCloseKey(key);

  CRegistry again;
  ASSERT_TRUE(again.OpenAppKey("Vantrel"));
  EXPECT_EQ(again.ReadString("LastDir", ""), "D:\\Photos back");
  EXPECT_TRUE(again.ReadBool("Flag", false));
}

TEST_F(CRegistryTest, MachineWideValuesAreReadNeverWritten) {
  SetTextValue(HKEY_LOCAL_MACHINE, kMachineKey, "Website", "https://example.org/help");
  CRegistry machineWide;
  ASSERT_TRUE(machineWide.OpenAppKey(".Vantrel"));
  EXPECT_EQ(machineWide.ReadString("Website", ""), "https://example.org/help");
  machineWide.WriteString("Website", "changed");
  machineWide.WriteBool("AccessFloppy", true);
  std::string stored;
  ASSERT_TRUE(ReadRawText(HKEY_LOCAL_MACHINE, kMachineKey, "Website", stored));
  EXPECT_EQ(stored, "https://example.org/help");
  EXPECT_FALSE(machineWide.ReadBool("AccessFloppy", false));
}

TEST_F(CRegistryTest, AMissingMachineWideKeyIsNotCreated) {
  CRegistry machineWide;
  EXPECT_FALSE(machineWide.OpenAppKey(".Vantrel"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineKey));
  EXPECT_EQ(machineWide.ReadString("LogoFile", "none"), "none");
  machineWide.WriteString("LogoFile", "x");  // no key: nothing happens
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineKey));
}

TEST_F(CRegistryTest, AnEmptyNameMeansTheFirstNameGiven) {
  CRegistry first;
  ASSERT_TRUE(first.OpenAppKey("Vantrel"));
  CRegistry later;
  ASSERT_TRUE(later.OpenAppKey(""));
  later.WriteString("Probe", "here");
  std::string stored;
  EXPECT_TRUE(ReadRawText(HKEY_CURRENT_USER, kUserKey, "Probe", stored));
  EXPECT_EQ(stored, "here");
}

TEST_F(CRegistryTest, AGivenCompanyAndSubKeyNameTheKey) {
  const char* path = "Software\\Another Maker\\Vantrel\\Recent";
  DeleteKey(HKEY_CURRENT_USER, "Software\\Another Maker");
  CRegistry settings;
  ASSERT_TRUE(settings.OpenAppKey("Vantrel", "Recent", "Another Maker"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
  DeleteKey(HKEY_CURRENT_USER, "Software\\Another Maker");
  // The next construction forgets the given company again.
  CRegistry next;
  ASSERT_TRUE(next.OpenAppKey("Vantrel"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserKey));
}

TEST_F(CRegistryTest, OpenKeyOpensExistingKeysOnly) {
  CRegistry settings;
  EXPECT_TRUE(settings.OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"));
  EXPECT_FALSE(settings.ReadString("ProductName", "").empty());
  EXPECT_FALSE(settings.OpenKey(HKEY_CURRENT_USER, "Software\\Talvenor\\No such key"));
  EXPECT_FALSE(settings.IsOpen());
  EXPECT_EQ(settings.ReadDword("Anything", 42u), 42u);
}

TEST(AppKeyLocation, PerUserAndMachineWidePaths) {
  AppKeyLocation user = AppKeyLocationFor("Vantrel", "", "Talvenor", true);
  EXPECT_EQ(user.root, HKEY_CURRENT_USER);
  EXPECT_EQ(user.path, "Software\\Talvenor\\Vantrel");
  EXPECT_EQ(AppKeyLocationFor("Vantrel", "Recent", "Talvenor", false).path, "Software\\Talvenor\\Vantrel\\Recent");

  AppKeyLocation machine = AppKeyLocationFor(".Vantrel", "", "Talvenor", false);
  EXPECT_EQ(machine.root, HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(machine.machineWide);
  EXPECT_EQ(machine.path, "SOFTWARE\\Talvenor\\Vantrel");
  EXPECT_EQ(AppKeyLocationFor(".Vantrel", "", "Talvenor", true).path, "SOFTWARE\\Wow6432Node\\Talvenor\\Vantrel");
  EXPECT_EQ(AppKeyLocationFor(".Vantrel", "Sub", "Talvenor", true).path,
            "SOFTWARE\\Wow6432Node\\Talvenor\\Vantrel\\Sub\\");
}

TEST(CompanyName, ComesFromTheVersionResource) {
  char executable[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  std::string company;
  ASSERT_TRUE(CompanyNameOf(executable, company));
  EXPECT_EQ(company, "Talvenor");
  // The language module carries no version resource.
  EXPECT_FALSE(CompanyNameOf("1033.DLL", company));
}
