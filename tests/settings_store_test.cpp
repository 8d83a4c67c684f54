// The settings store in the registry, where the per-application settings
// functions keep it (Windows only: under Wine in the test command).
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "common/wide_text_win32.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

namespace tavik {
namespace {

constexpr TextView kApp = u"TavikFMStoreTest";
const wchar_t kSection[] = L"Software\\VB and VBA Program Settings\\TavikFMStoreTest\\Settings";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { test::DeleteRegistryApplication(kApp); }
  void TearDown() override { test::DeleteRegistryApplication(kApp); }

  // A value as another program may have written it: raw type and bytes,
  // through the registry view of the given bitness.
  static void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size, REGSAM view = 0) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSection, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  Text Read(TextView key) { return store->ReadSetting(kApp, u"Settings", key, u"default"); }

  std::unique_ptr<SettingsStore> store = MakeRegistrySettingsStore();
};

TEST_F(Registry, AbsentEntriesGiveTheDefaultAndCreateNothing) {
  EXPECT_EQ(store->ReadSetting(kApp, u"Settings", u"KosinTime", u"1000"), u"1000");
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kSection, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_TRUE(store->WriteSetting(kApp, u"Settings", u"Visible", u"1"));
  EXPECT_EQ(Read(u"KosinTime"), u"default");
  EXPECT_EQ(store->ReadSetting(kApp, u"Other", u"Visible", u"0"), u"0");
  EXPECT_EQ(store->ReadSetting(u"", u"Settings", u"Visible", u"d"), u"d");
  EXPECT_EQ(store->ReadSetting(kApp, u"Settings", u"", u"d"), u"d");
  EXPECT_FALSE(store->WriteSetting(kApp, u"", u"Visible", u"1"));
}

TEST_F(Registry, WrittenTextsReadBackWhateverTheirCharactersAndTheCaseOfTheirNames) {
  for (const Text& value : {test::U("D:\\データ\\ﾃｽﾄ"), Text(), Text(3000, u'\u5C71'), Text(u"1000")}) {
    EXPECT_TRUE(store->WriteSetting(kApp, u"Settings", u"Folda", value));
    EXPECT_EQ(Read(u"Folda"), value);
    EXPECT_EQ(store->ReadSetting(u"tavikfmstoretest", u"SETTINGS", u"folda", u"default"), value);
  }
  // Stored where the settings functions keep it, as a terminated REG_SZ.
  wchar_t data[8] = {};
  DWORD type = 0;
  DWORD size = sizeof data;
  RegGetValueW(HKEY_CURRENT_USER, kSection, L"Folda", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
  EXPECT_EQ(std::wstring(data) + L" " + std::to_wstring(type) + L" " + std::to_wstring(size), L"1000 1 10");
}

TEST_F(Registry, RawValuesAreReadAsTheSettingsFunctionsStoreThem) {
  const DWORD number = 7;
  PutRaw(L"Unterminated", REG_SZ, L"1234", 3 * sizeof(wchar_t));
  PutRaw(L"InnerNul", REG_SZ, L"12\0" L"34", 6 * sizeof(wchar_t));
  PutRaw(L"OddSize", REG_SZ, L"12", 5);
  PutRaw(L"Number", REG_DWORD, &number, sizeof number);
  PutRaw(L"Expand", REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof(wchar_t));
  PutRaw(L"Empty", REG_SZ, L"", 0);
  const Text read[] = {Read(u"Unterminated"), Read(u"InnerNul"), Read(u"OddSize"),
                       Read(u"Number"),       Read(u"Expand"),   Read(u"Empty")};
  EXPECT_EQ(std::vector<Text>(std::begin(read), std::end(read)),
            (std::vector<Text>{u"123", u"12", u"12", u"default", u"default", u""}));
}

TEST_F(Registry, ValuesWrittenThroughEitherRegistryViewAreRead) {
  // The viewer may be a 32-bit or a 64-bit program; the clinics run the
  // 32-bit build of this one.
  PutRaw(L"Folda", REG_SZ, L"C:\\64", 6 * sizeof(wchar_t), KEY_WOW64_64KEY);
  EXPECT_EQ(Read(u"Folda"), u"C:\\64");
  PutRaw(L"Folda", REG_SZ, L"C:\\32", 6 * sizeof(wchar_t), KEY_WOW64_32KEY);
  EXPECT_EQ(Read(u"Folda"), u"C:\\32");
}

}  // namespace
}  // namespace tavik
#endif
