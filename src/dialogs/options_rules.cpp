#include "dialogs/options_rules.h"

#include <optional>

namespace tavik {

Text ProgramValues::*FolderValueOf(FolderRow row) {
  switch (row) {
    case FolderRow::Backup: return &ProgramValues::backup_folder;
    case FolderRow::Database: return &ProgramValues::database_folder;
    case FolderRow::Exchange: break;
  }
  return &ProgramValues::exchange_folder;
}

OptionsTexts OptionsTextsAtOpening(const ProgramValues& values) {
  OptionsTexts texts;
  texts.exchange_folder = values.exchange_folder;
  texts.interval = DecimalText(values.tick_interval);
  return texts;
}

bool ApplyOptionsOk(TextView interval_text, ProgramValues& values, SettingsStore& store,
                    const std::function<void(std::int32_t)>& set_intake_interval) {
  const std::optional<std::int32_t> interval = TickIntervalFromText(interval_text);
  if (!interval) return false;
  values.tick_interval = *interval;
  // A store that cannot be written does not hold the new interval back: it
  // applies for this run all the same.
  store.WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, DecimalText(*interval));
  if (set_intake_interval) set_intake_interval(*interval);
  return true;
}

}  // namespace tavik
