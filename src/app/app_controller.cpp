#include "app/app_controller.h"

#include <new>

#include "common/paths.h"
#include "common/program_error.h"
#include "common/program_texts.h"
#include "settings/number_text.h"

namespace tavik {
namespace {

// The mouse messages the tray icon reports (WM_LBUTTONDOWN and so on).
constexpr unsigned kLeftButtonDown = 0x0201;
constexpr unsigned kLeftButtonDoubleClick = 0x0203;
constexpr unsigned kRightButtonDown = 0x0204;

}  // namespace

Text StartupErrorMessage(int number, TextView description) {
  Text message(kStartupErrorOpening);
  message += DecimalText(number);
  message += kStartupErrorBetween;
  message += description;
  message += kStartupErrorClosing;
  return message;
}

// The staff's clicks (docs/contracts.md).
TrayAction TrayActionFor(unsigned mouse_message) {
  switch (mouse_message) {
    case kLeftButtonDown: return TrayAction::Beep;
    case kLeftButtonDoubleClick: return TrayAction::ShowWindow;
    case kRightButtonDown: return TrayAction::ShowMenu;
    default: return TrayAction::None;
  }
}

AppController::AppController(MainWindowView& window, ProgramServices& services)
    : window_(window), services_(services) {}

void AppController::Start() {
  if (started_) return;
  started_ = true;
  // The steps done before a failure stay done; the program then waits in
  // the tray.
  try {
    RunStartSequence();
  } catch (const ProgramError& error) {
    window_.ShowMessage(StartupErrorMessage(error.number(), error.description()));
  } catch (const std::bad_alloc&) {
    window_.ShowMessage(StartupErrorMessage(kOutOfMemory, kOutOfMemoryText));
  } catch (...) {
    window_.ShowMessage(StartupErrorMessage(kInvalidCall, kInvalidCallText));
  }
}

void AppController::RunStartSequence() {
  // The order of the steps stays as it is (docs/contracts.md). The tray icon
  // first, so that it is up whatever stops the sequence.
  window_.AddTrayIcon();

  ProgramValues& values = services_.values;
  const Text& program_folder = services_.program_folder;
  SettingsStore& store = services_.store;
  const Text viewer_folder = store.ReadSetting(kViewerTitle, kSettingsSection, kKeyFolda, program_folder);
  values.tick_interval = ToInt32(store.ReadSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, u"1000"));
  hide_at_startup_ = ToInt16(store.ReadSetting(kProgramTitle, kSettingsSection, kKeyVisible, u"0"));
  values.exchange_folder = viewer_folder + Text(kExchangeSuffix);

  // The directory query finds folders and files alike.
  if (!services_.files.FolderExists(values.exchange_folder) && !services_.files.FileExists(values.exchange_folder)) {
    window_.ShowMessage(Text(kExchangeFolderMissing));
    return;
  }
  const Text database_file = program_folder + Text(kDatabaseFileSuffix);
  if (!services_.files.FileExists(database_file)) {
    window_.ShowMessage(Text(kDatabaseFileMissing));
    return;
  }

  window_.OpenDocument(database_file, FolderItself(program_folder));
  services_.intake.RotateBackups(values.exchange_folder);
  // The stored interval stays as it is in tick_interval (docs/contracts.md); the timer runs
  // within the options dialog's bounds, so that no stored value stops it
  // or runs it flat out.
  window_.SetIntakeInterval(ClampTickInterval(values.tick_interval));
  // Any non-zero value means hidden, and shows as a tick in the box.
  window_.SetVisible(hide_at_startup_ == 0);
  window_.SetStartHiddenBox(hide_at_startup_ != 0);
}

void AppController::RememberStartHidden() {
  if (!shut_down_) hide_at_startup_ = window_.StartHiddenBox() ? 1 : 0;
}

void AppController::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  // A store that cannot be written changes nothing else of the exit.
  try {
    services_.store.WriteSetting(kProgramTitle, kSettingsSection, kKeyVisible, DecimalText(hide_at_startup_));
  } catch (...) {
  }
  window_.SetIntakeInterval(0);
  window_.RemoveTrayIcon();
}

void AppController::OnTick() {
  // A tick that comes while another runs (docs/contracts.md; a nested message loop inside
  // the intake) is dropped; the next one takes up what is left.
  if (in_tick_ || shut_down_) return;
  in_tick_ = true;
  try {
    services_.intake.ProcessExchangeFiles(services_.values.exchange_folder);
  } catch (...) {
    // Nothing escapes a tick; the next one runs as usual.
  }
  in_tick_ = false;
}

void AppController::OnTrayNotification(unsigned mouse_message) {
  switch (TrayActionFor(mouse_message)) {
    case TrayAction::Beep: window_.Beep(); break;
    case TrayAction::ShowWindow: window_.SetVisible(true); break;
    case TrayAction::ShowMenu: window_.ShowTrayMenu(); break;
    case TrayAction::None: break;
  }
}

void AppController::HideToTray() { window_.SetVisible(false); }

void AppController::AddStartupShortcut() {
  window_.ShowMessage(Text(window_.SaveStartupShortcut() ? kShortcutRegistered : kShortcutFailed));
}

bool WindowsShowsHelpFiles(unsigned windows_version) { return windows_version < 10; }

void AppController::ShowHelpContents() {
  const Text help_file = services_.program_folder + Text(kHelpFileSuffix);
  if (WindowsShowsHelpFiles(window_.WindowsVersion())) {
    // Whatever fails in making the call is reported afterwards; what the
    // help engine itself finds (a missing file, say) is its own to report.
    if (!window_.ShowHelp(help_file)) window_.ShowMessage(Text(kHelpUnavailable));
    return;
  }
  if (window_.RaiseHelpWindow()) return;
  // The program's window stands in for the help engine, and like the engine
  // it reports a file it cannot show, once, and does nothing else.
  std::string bytes;
  if (services_.files.ReadAll(help_file, kMaxHelpFileBytes, bytes) == ReadStatus::Ok) {
    try {
      window_.OpenHelpWindow(ReadHelpFile(bytes));
      return;
    } catch (const HelpFileError&) {
    }
  }
  window_.ShowMessage(Text(kHelpFileUnreadable) + u"\r\n" + help_file);
}

}  // namespace tavik
