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

std::int32_t StartupTickInterval(std::int32_t stored) { return ClampTickInterval(stored); }

MainForm::MainForm(MainWindowPort& window, ShellServices& services, SettingsStore& store,
                   ProgramValues& values)
    : window_(window), services_(services), store_(store), values_(values) {}

void MainForm::Form_Load() {
  if (state_ != FormState::Created) return;
  state_ = FormState::Loading;
  try {
    RunLoadSequence();
    return;
  } catch (const ProgramError& error) {
    window_.ShowMessage(ErrorTrapMessage(error.number(), error.description()));
  } catch (const std::bad_alloc&) {
    window_.ShowMessage(ErrorTrapMessage(kOutOfMemory, kOutOfMemoryText));
  } catch (...) {
    window_.ShowMessage(ErrorTrapMessage(kInvalidCall, kInvalidCallText));
  }
  // The steps done stay done; short of the start decision the program
  // waits in the tray.
  state_ = last_step_ >= LoadStep::StartTimer ? FormState::Running : FormState::Degraded;
}

void MainForm::RunLoadSequence() {
  // L1: first, so that the icon is up whatever stops the sequence later.
  window_.AddTrayIcon();
  last_step_ = LoadStep::AddTrayIcon;

  // L2-L4.
  const Text program_folder = services_.ProgramFolder();
  const Text folda = store_.ReadSetting(kViewerTitle, kSettingsSection, kKeyFolda, program_folder);
  last_step_ = LoadStep::ReadFolda;
  const Text kosin = store_.ReadSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, u"1000");
  // A stored value outside the options dialog's bounds is brought into
  // them, so that the timer neither stops nor spins.
  values_.TickInterval = StartupTickInterval(ToInt32(kosin));
  last_step_ = LoadStep::ReadKosinTime;
  const Text visible = store_.ReadSetting(kProgramTitle, kSettingsSection, kKeyVisible, u"0");
  hide_at_startup_ = ToInt16(visible);
  last_step_ = LoadStep::ReadVisible;

  // L5: plain concatenation.
  values_.ExchangeFolder = folda + Text(kExchangeSuffix);
  last_step_ = LoadStep::FormExchangeFolder;

  // L6, L7.
  if (!services_.Exists(values_.ExchangeFolder, ExistenceQuery::Directory)) {
    window_.ShowMessage(Text(kExchangeFolderMissing));
    state_ = FormState::Degraded;
    return;
  }
  last_step_ = LoadStep::CheckExchangeFolder;
  const Text database_file = program_folder + Text(kDatabaseFileSuffix);
  if (!services_.Exists(database_file, ExistenceQuery::Normal)) {
    window_.ShowMessage(Text(kDatabaseFileMissing));
    state_ = FormState::Degraded;
    return;
  }
  last_step_ = LoadStep::CheckDatabaseFile;

  // L8, L9.
  window_.OpenDocument(database_file, program_folder);
  last_step_ = LoadStep::OpenDatabaseFile;
  services_.RotateBackups(values_.ExchangeFolder);
  last_step_ = LoadStep::RotateBackups;

  // L10.
  window_.SetTimerInterval(values_.TickInterval);
  last_step_ = LoadStep::StartTimer;

  // L11, L12. Any non-zero value means hidden, and shows as a tick.
  window_.SetVisible(hide_at_startup_ == 0);
  last_step_ = LoadStep::ShowOrHide;
  window_.SetCheck1(hide_at_startup_ != 0);
  last_step_ = LoadStep::SetCheck1;
  state_ = FormState::Running;
}

void MainForm::Form_QueryUnload() {
  if (state_ == FormState::Ended) return;
  hide_at_startup_ = window_.Check1() ? 1 : 0;
}

void MainForm::Form_Unload() {
  if (state_ == FormState::Ended) return;
  state_ = FormState::Ended;
  // U1: a store that cannot be written changes nothing else of the exit.
  try {
    store_.WriteSetting(kProgramTitle, kSettingsSection, kKeyVisible, DecimalText(hide_at_startup_));
  } catch (...) {
  }
  // U2.
  window_.SetTimerInterval(0);
  window_.RemoveTrayIcon();
}

void MainForm::Timer1_Timer() {
  // A tick that comes while another runs (a nested message loop inside
  // the intake) is dropped; the next one takes up what is left.
  if (in_tick_ || state_ == FormState::Ended) return;
  in_tick_ = true;
  try {
    const Text folder = values_.ExchangeFolder;
    services_.ProcessExchangeFiles(folder);
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
      ShowWindow();
      break;
    case TrayAction::PopupMenu:
      window_.ShowPopupMenu();
      break;
    case TrayAction::None:
      break;
  }
}

void MainForm::cmdHide_Click() { window_.SetVisible(false); }

void MainForm::ShowWindow() { window_.SetVisible(true); }

}  // namespace tavik
