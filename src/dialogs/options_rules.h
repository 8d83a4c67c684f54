// What the options dialog decides, apart from its window: the texts it
// shows when it opens, and what OK does with the text of the interval box.
#pragma once

#include <cstdint>
#include <functional>

#include "common/text.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

// The three folder rows of the options dialog, each a locked box that the
// folder picker fills and a program-wide value it writes.
enum class FolderRow { Exchange, Backup, Database };

// The program-wide value of a row.
Text ProgramValues::*FolderValueOf(FolderRow row);

// What the dialog shows when it opens: the exchange folder, and the
// interval as plain decimal. The backup and database boxes start empty,
// whatever was picked for them before.
struct OptionsTexts {
  Text exchange_folder;
  Text interval;
};
OptionsTexts OptionsTextsAtOpening(const ProgramValues& values);

// OK without the window: on a number text (TickIntervalFromText: rounded,
// halves to even, then clamped to 300..60000), tick_interval takes the new
// interval, "KosinTime" is written under "TavikFM" / "Settings" as plain
// decimal and the main window's intake timer is set. False when the text
// is no number: nothing is stored or applied, and the dialog shows
// its message (kNotANumberMessage) and stays open.
bool ApplyOptionsOk(TextView interval_text, ProgramValues& values, SettingsStore& store,
                    const std::function<void(std::int32_t)>& set_intake_interval);

}  // namespace tavik
