// The settings: number texts (which are numbers, rounded how, the errors of
// those that are none or do not fit), and the store in the registry where the
// per-application settings functions keep it (Windows only: under Wine).
#include <gtest/gtest.h>

#include <string>

#include "common/program_error.h"
#include "settings/number_text.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>

#include "common/wide_text_win32.h"
#endif

namespace tavik {
namespace {

using test::U;

constexpr int kFits = 0;

struct ConversionRow {
  const char* name;
  std::string text;
  long long value;  // when error is kFits
  int error;        // kFits, kTypeMismatch or kOverflow
};

template <typename Convert>
void ExpectConversion(const ConversionRow& row, Convert convert) {
  try {
    EXPECT_EQ(convert(U(row.text.c_str())), row.value) << "text \"" << row.text << "\"";
    EXPECT_EQ(row.error, kFits) << "text \"" << row.text << "\" converted";
  } catch (const ProgramError& error) {
    EXPECT_EQ(error.number(), row.error) << "text \"" << row.text << "\"";
    EXPECT_EQ(test::Utf8(error.description()),
              error.number() == 13 ? "型が一致しません。" : "オーバーフローしました。");
  }
}

const ConversionRow kConversionRows[] = {
    {"blanks tabs and full width blanks around", "\t\u3000 12 \u3000", 12, kFits},
    {"group separators between digits, sizes unchecked", "1,00,0", 1000, kFits},
    {"a half goes down to the even neighbour", "1000.5", 1000, kFits},
    {"a half goes up to the even neighbour", "1001.5", 1002, kFits},
    {"a negative odd half goes away from zero", "-3.5", -4, kFits},
    {"more than a half goes up", "2.5000000000000000001", 3, kFits},
    {"a decimal part without integer digits", "-.6", -1, kFits},
    {"the largest 32 bit value", "2147483647", 2147483647, kFits},
    {"the smallest value reached by rounding to even", "-2147483648.5", -2147483648LL, kFits},
    {"a half above the largest value overflows", "2147483647.5", 0, kOverflow},
    {"one below the smallest value overflows", "-2147483649", 0, kOverflow},
    {"a huge exponent overflows", "1e99999999999999999999999", 0, kOverflow},
    {"a tiny exponent gives zero", "1e-99999999999999999999999", 0, kFits},
};

TEST(Int32Conversion, GivesTheRoundedValueOrTheError) {
  for (const ConversionRow& row : kConversionRows) {
    ExpectConversion(row, [](TextView text) { return ToInt32(text); });
    EXPECT_EQ(RoundedNumber(U(row.text.c_str())).has_value(), row.error != kTypeMismatch) << row.name;
  }
}

// Blanks alone, letters, prefixes and signs of other notations, signs,
// separators and points out of place, other digits and blanks.
TEST(Number, TextsOfOtherFormsAreNoNumber) {
  for (const char* text :
       {"",     " \u3000 ", "12abc", "&H10", "0x10", "\u00A5100", "$5",           "5%",   "(5)",
        "-",    ".",        "+-5",   "5-",   "- 5",  "1 000",     ",100",         "100,", "1,,000",
        "1,.5", "1.000,5",  "1.2.3", "1e+",  ".e5",  "1e2.5",     "\uFF11\uFF12", "12\n", "\u00A012"}) {
    ExpectConversion({"", text, 0, kTypeMismatch}, ToInt32);
    EXPECT_FALSE(RoundedNumber(U(text))) << text;
  }
}

TEST(Number, SixteenBitConversionHasItsOwnBounds) {
  ExpectConversion({"", "32767", 32767, kFits}, ToInt16);
  ExpectConversion({"", "-32768", -32768, kFits}, ToInt16);
  ExpectConversion({"", "32767.5", 0, kOverflow}, ToInt16);
  ExpectConversion({"", "-32769", 0, kOverflow}, ToInt16);
  ExpectConversion({"", "x", 0, kTypeMismatch}, ToInt16);
}

#ifdef _WIN32
constexpr TextView kApp = u"TavikFMStoreTest";
const wchar_t kSection[] = L"Software\\VB and VBA Program Settings\\TavikFMStoreTest\\Settings";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { test::DeleteRegistryApplication(kApp); }
  void TearDown() override { test::DeleteRegistryApplication(kApp); }

  // A value as another program may have written it: raw type and bytes.
  static void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSection, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
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
  PutRaw(L"InnerNul", REG_SZ,
         L"12\0"
         L"34",
         6 * sizeof(wchar_t));
  PutRaw(L"OddSize", REG_SZ, L"12", 5);
  PutRaw(L"Number", REG_DWORD, &number, sizeof number);
  PutRaw(L"Expand", REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof(wchar_t));
  PutRaw(L"Empty", REG_SZ, L"", 0);
  const Text read[] = {Read(u"Unterminated"), Read(u"InnerNul"), Read(u"OddSize"),
                       Read(u"Number"),       Read(u"Expand"),   Read(u"Empty")};
  EXPECT_EQ(std::vector<Text>(std::begin(read), std::end(read)),
            (std::vector<Text>{u"123", u"12", u"12", u"default", u"default", u""}));
}

#endif

}  // namespace
}  // namespace tavik
