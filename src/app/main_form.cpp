#include "app/main_form.h"

#include <new>

#include "app/app_texts.h"
#include "app/tray_decoding.h"
#include "common/program_error.h"
#include "settings/number_text.h"

namespace tavik {
namespace {

// Errors that do not come with a number of their own.
constexpr int kOutOfMemory = 7;
constexpr TextView kOutOfMemoryText = u"メモリが不足しています。";
constexpr int kInvalidCall = 5;
constexpr TextView kInvalidCallText = u"プロシージャの呼び出し、または引数が不正です。";

}  // namespace

Text ErrorTrapMessage(int number, TextView description) {
  Text message = u"ｴﾗｰ: '";
  message += DecimalText(number);
  message += u"' - ";
  message += description;
  message += u".";
  return message;
}

MainForm::MainForm(MainWindowPort& window, ProgramParts& parts) : window_(window), parts_(parts) {}

void MainForm::Form_Load() {
  if (loaded_) return;
  loaded_ = true;
  // The steps done before a failure stay done; the program then waits in
  // the tray.
  try {
    RunLoadSequence();
  } catch (const ProgramError& error) {
    window_.ShowMessage(ErrorTrapMessage(error.number(), error.description()));
  } catch (const std::bad_alloc&) {
    window_.ShowMessage(ErrorTrapMessage(kOutOfMemory, kOutOfMemoryText));
  } catch (...) {
    window_.ShowMessage(ErrorTrapMessage(kInvalidCall, kInvalidCallText));
  }
}

void MainForm::RunLoadSequence() {
  // The tray icon first, so that it is up whatever stops the sequence.
  window_.AddTrayIcon();

  ProgramValues& values = parts_.values;
  const Text& program_folder = parts_.program_folder;
  const Text folda = parts_.store.ReadSetting(kViewerTitle, kSettingsSection, kKeyFolda, program_folder);
  values.TickInterval = ToInt32(parts_.store.ReadSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, u"1000"));
  hide_at_startup_ = ToInt16(parts_.store.ReadSetting(kProgramTitle, kSettingsSection, kKeyVisible, u"0"));
  values.ExchangeFolder = folda + Text(kExchangeSuffix);

  // The directory query finds folders and files alike.
  if (!parts_.files.FolderExists(values.ExchangeFolder) && !parts_.files.FileExists(values.ExchangeFolder)) {
    window_.ShowMessage(Text(kExchangeFolderMissing));
    return;
  }
  const Text database_file = program_folder + Text(kDatabaseFileSuffix);
  if (!parts_.files.FileExists(database_file)) {
    window_.ShowMessage(Text(kDatabaseFileMissing));
    return;
  }

  window_.OpenDocument(database_file, program_folder);
  parts_.intake.RotateBackups(values.ExchangeFolder);
  // The stored interval stays as it is in TickInterval; the timer runs
  // within the options dialog's bounds, so that no stored value stops it
  // or runs it flat out.
  window_.SetTimerInterval(ClampTickInterval(values.TickInterval));
  // Any non-zero value means hidden, and shows as a tick.
  window_.SetVisible(hide_at_startup_ == 0);
  window_.SetCheck1(hide_at_startup_ != 0);
}

void MainForm::Form_QueryUnload() {
  if (!ended_) hide_at_startup_ = window_.Check1() ? 1 : 0;
}

void MainForm::Form_Unload() {
  if (ended_) return;
  ended_ = true;
  // A store that cannot be written changes nothing else of the exit.
  try {
    parts_.store.WriteSetting(kProgramTitle, kSettingsSection, kKeyVisible, DecimalText(hide_at_startup_));
  } catch (...) {
  }
  window_.SetTimerInterval(0);
  window_.RemoveTrayIcon();
}

void MainForm::Timer1_Timer() {
  // A tick that comes while another runs (a nested message loop inside
  // the intake) is dropped; the next one takes up what is left.
  if (in_tick_ || ended_) return;
  in_tick_ = true;
  try {
    parts_.intake.ProcessExchangeFiles(parts_.values.ExchangeFolder);
  } catch (...) {
    // Nothing escapes a tick; the next one runs as usual.
  }
  in_tick_ = false;
}

void MainForm::Form_MouseDown(int button_set, double x_twips, double twips_per_pixel) {
  switch (DecodeTrayMouseDown(button_set, x_twips, twips_per_pixel)) {
    case TrayAction::Beep:
      window_.Beep();
      break;
    case TrayAction::ShowWindow:
      window_.SetVisible(true);
      break;
    case TrayAction::PopupMenu:
      window_.ShowPopupMenu();
      break;
    case TrayAction::None:
      break;
  }
}

void MainForm::cmdHide_Click() { window_.SetVisible(false); }

void MainForm::cmdStartUp_Click() {
  window_.ShowMessage(Text(window_.SaveStartupShortcut() ? kShortcutRegistered : kShortcutFailed));
}

void MainForm::mnuHelpIndex_Click() {
  // Whatever fails in making the call is reported afterwards; what the help
  // engine itself finds (a missing file, say) is its own to report.
  if (!window_.ShowHelp(parts_.program_folder + Text(kHelpFileSuffix))) {
    window_.ShowMessage(Text(kHelpUnavailable));
  }
}

}  // namespace tavik
