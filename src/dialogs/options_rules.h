// What frmOption2 decides, apart from its window: the texts it shows at
// load, which row each browse button serves, and what OK does with the
// text of txtKosinTime.
#pragma once

#include <cstdint>
#include <functional>

#include "common/text.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

inline constexpr TextView kOptionsCaption = u"設定";
inline constexpr TextView kNotANumberMessage = u"数値を入力して下さい";

// The browse buttons ("...") of the three folder rows.
enum class OptionsBrowseButton { cmdFolda, cmdBackupFolda, cmdTavikDB };

// The three locked folder boxes the folder picker fills.
enum class OptionsFolderBox { txtFolda, txtBackupFolda, txtTavikDB };

// cmdFolda -> PickExchange, cmdBackupFolda -> PickBackup,
// cmdTavikDB -> PickDatabase.
PickerRow PickerTargetFor(OptionsBrowseButton button);

// Form_Load: txtFolda shows ExchangeFolder, txtKosinTime the interval as
// plain decimal; the backup and database boxes start empty, whatever was
// picked for them before.
struct OptionsLoadTexts {
  Text txtFolda;
  Text txtBackupFolda;
  Text txtTavikDB;
  Text txtKosinTime;
};
OptionsLoadTexts OptionsTextsAtLoad(const ProgramValues& values);

// cmdOK_Click without the window: on a number text (TickIntervalFromText:
// rounded, halves to even, then clamped to 300..60000), TickInterval takes
// the new interval, "KosinTime" is written under "TavikFM" / "Settings" as plain
// decimal and the main window's timer is set. False when the text is no
// number: nothing is stored or applied, and the dialog shows
// kNotANumberMessage and stays open.
bool ApplyOptionsOk(TextView kosin_time_text, ProgramValues& values, SettingsStore& store,
                    const std::function<void(std::int32_t)>& set_timer_interval);

}  // namespace tavik
