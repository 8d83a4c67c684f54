#include "dialogs/options_rules.h"

#include <optional>

namespace tavik {

PickerRow PickerTargetFor(OptionsBrowseButton button) {
  switch (button) {
    case OptionsBrowseButton::cmdFolda: return PickerRow::PickExchange;
    case OptionsBrowseButton::cmdBackupFolda: return PickerRow::PickBackup;
    case OptionsBrowseButton::cmdTavikDB: return PickerRow::PickDatabase;
  }
  return PickerRow::None;
}

OptionsLoadTexts OptionsTextsAtLoad(const ProgramValues& values) {
  OptionsLoadTexts texts;
  texts.txtFolda = values.ExchangeFolder;
  texts.txtKosinTime = DecimalText(values.TickInterval);
  return texts;
}

bool ApplyOptionsOk(TextView kosin_time_text, ProgramValues& values, SettingsStore& store,
                    const std::function<void(std::int32_t)>& set_timer_interval) {
  const std::optional<std::int32_t> interval = TickIntervalFromText(kosin_time_text);
  if (!interval) return false;
  values.TickInterval = *interval;
  // A store that cannot be written does not hold the new interval back: it
  // applies for this run all the same.
  store.WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, DecimalText(*interval));
  if (set_timer_interval) set_timer_interval(*interval);
  return true;
}

}  // namespace tavik
