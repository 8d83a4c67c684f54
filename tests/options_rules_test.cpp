// The options dialog's decisions without its window: the OK rule over the
// text of txtKosinTime, the browse buttons' rows and the texts at load.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "dialogs/options_rules.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// A settings store that remembers what was written to it.
class RecordingStore final : public SettingsStore {
 public:
  struct Write {
    Text application, section, key, value;
  };
  Text ReadSetting(TextView, TextView, TextView, TextView default_value) override { return Text(default_value); }
  bool WriteSetting(TextView application, TextView section, TextView key, TextView value) override {
    writes.push_back({Text(application), Text(section), Text(key), Text(value)});
    return writable;
  }
  std::vector<Write> writes;
  bool writable = true;
};

struct OkCase {
  const char* name;
  const char* text;           // UTF-8
  std::optional<int> stored;  // nothing: not a number
};

// The OK rule: the number test and conversion the settings share, halves to
// even, then the clamp; outside 32 bits by sign; no hex, no currency.
const OkCase kOkCases[] = {
    {"BelowTheMinimumGoesUpTo300", "150", 300},
    {"ANegativeNumberGoesUpTo300", "-5", 300},
    {"JustAboveTheMaximumGoesDownTo60000", "60001", 60000},
    {"AHalfGoesToTheEvenNeighbourBelow", "1000.5", 1000},
    {"AHalfGoesToTheEvenNeighbourAbove", "1001.5", 1002},
    {"BlanksAndGroupSeparatorsAreAccepted", " 1,000 ", 1000},
    {"AnExponentIsAccepted", "1e3", 1000},
    {"TheMinimumItselfStays", "300", 300},
    {"TheMaximumItselfStays", "60000", 60000},
    {"AValueInRangeStays", "1500", 1500},
    {"RoundingComesBeforeTheClamp", "299.5", 300},
    {"AFullWidthBlankCountsAsABlank", "\u3000" "2500", 2500},
    {"BeyondTheSigned32BitRangeClampsToTheTop", "99999999999", 60000},
    {"BeyondTheSigned32BitRangeBelowClampsToTheBottom", "-99999999999", 300},
    {"AnEmptyTextIsNoNumber", "", std::nullopt},
    {"OnlyBlanksAreNoNumber", "   ", std::nullopt},
    {"LettersAreNoNumber", "abc", std::nullopt},
    {"AHexadecimalFormIsNoNumber", "&H10", std::nullopt},
    {"ACurrencySignIsNoNumber", "¥100", std::nullopt},
    {"AFullWidthDigitIsNoNumber", "１０００", std::nullopt},
    {"TrailingLettersAreNoNumber", "1000ms", std::nullopt},
};

class OptionsOk : public testing::TestWithParam<OkCase> {};

TEST_P(OptionsOk, StoresAndAppliesTheIntervalOrRefusesTheText) {
  const OkCase& c = GetParam();
  ProgramValues values;
  values.TickInterval = 1234;
  RecordingStore store;
  std::vector<std::int32_t> timer_calls;
  const bool accepted =
      ApplyOptionsOk(U(c.text), values, store, [&](std::int32_t ms) { timer_calls.push_back(ms); });

  if (c.stored) {
    EXPECT_TRUE(accepted);
    EXPECT_EQ(values.TickInterval, *c.stored);
    ASSERT_EQ(store.writes.size(), 1u);
    EXPECT_EQ(Utf8(store.writes[0].application), "TavikFM");
    EXPECT_EQ(Utf8(store.writes[0].section), "Settings");
    EXPECT_EQ(Utf8(store.writes[0].key), "KosinTime");
    EXPECT_EQ(Utf8(store.writes[0].value), std::to_string(*c.stored));
    EXPECT_EQ(timer_calls, std::vector<std::int32_t>{*c.stored});
  } else {
    EXPECT_FALSE(accepted);
    EXPECT_EQ(values.TickInterval, 1234) << "TickInterval must stay";
    EXPECT_TRUE(store.writes.empty()) << "nothing may be stored";
    EXPECT_TRUE(timer_calls.empty()) << "the timer must stay as it is";
  }
}

INSTANTIATE_TEST_SUITE_P(TextOfTxtKosinTime, OptionsOk, testing::ValuesIn(kOkCases),
                         [](const testing::TestParamInfo<OkCase>& param) { return std::string(param.param.name); });

TEST(OptionsOkWhenTheStoreCannotBeWritten, AppliesTheIntervalAllTheSame) {
  ProgramValues values;
  RecordingStore store;
  store.writable = false;
  std::int32_t timer = 0;
  EXPECT_TRUE(ApplyOptionsOk(u"2000", values, store, [&](std::int32_t ms) { timer = ms; }));
  EXPECT_EQ(values.TickInterval, 2000);
  EXPECT_EQ(timer, 2000);
}

TEST(OptionsOkWithoutATimerCallback, StillStoresTheInterval) {
  ProgramValues values;
  RecordingStore store;
  EXPECT_TRUE(ApplyOptionsOk(u"700", values, store, nullptr));
  EXPECT_EQ(values.TickInterval, 700);
  ASSERT_EQ(store.writes.size(), 1u);
  EXPECT_EQ(Utf8(store.writes[0].value), "700");
}

TEST(OptionsMessage, ForATextThatIsNoNumberIsTheSystemsOwn) {
  EXPECT_EQ(Utf8(kNotANumberMessage), "数値を入力して下さい");
  EXPECT_EQ(Utf8(kOptionsCaption), "設定");
}

struct BrowseCase {
  OptionsBrowseButton button;
  PickerRow target;
};

TEST(EachBrowseButton, SetsThePickerTargetOfItsRow) {
  const BrowseCase cases[] = {
      {OptionsBrowseButton::cmdFolda, PickerRow::PickExchange},
      {OptionsBrowseButton::cmdBackupFolda, PickerRow::PickBackup},
      {OptionsBrowseButton::cmdTavikDB, PickerRow::PickDatabase},
  };
  for (const BrowseCase& c : cases) {
    EXPECT_EQ(PickerTargetFor(c.button), c.target) << "button " << static_cast<int>(c.button);
  }
  EXPECT_EQ(static_cast<int>(PickerRow::PickExchange), 3);
  EXPECT_EQ(static_cast<int>(PickerRow::PickBackup), 4);
  EXPECT_EQ(static_cast<int>(PickerRow::PickDatabase), 5);
}

TEST(OptionsAtLoad, ShowTheExchangeFolderAndTheIntervalAndTwoEmptyBoxes) {
  ProgramValues values;
  values.ExchangeFolder = U("C:\\TavikView\\Filemk");
  values.BackupFolder = U("C:\\picked\\before");
  values.DatabaseFolder = U("D:\\データ");
  values.TickInterval = 1000;
  const OptionsLoadTexts texts = OptionsTextsAtLoad(values);
  EXPECT_EQ(Utf8(texts.txtFolda), "C:\\TavikView\\Filemk");
  EXPECT_EQ(Utf8(texts.txtKosinTime), "1000");
  EXPECT_EQ(Utf8(texts.txtBackupFolda), "") << "folders picked at an earlier opening do not show again";
  EXPECT_EQ(Utf8(texts.txtTavikDB), "");
}

TEST(OptionsAtLoad, ShowAnIntervalOutsideTheBoundsAsItIs) {
  ProgramValues values;
  values.TickInterval = -20;
  EXPECT_EQ(Utf8(OptionsTextsAtLoad(values).txtKosinTime), "-20");
  values.TickInterval = 100000;
  EXPECT_EQ(Utf8(OptionsTextsAtLoad(values).txtKosinTime), "100000");
}

}  // namespace
}  // namespace tavik
