// Module1: the program's entry point. Refuses a second copy for the same
// logon, creates frmMain hidden and runs the message loop until it closes.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/app_texts.h"
#include "app/main_window_win32gui.h"
#include "common/window_win32gui.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "patientdb/patient_gateway.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {
namespace {

// One copy per logon session: "Local\" is the session's namespace.
constexpr wchar_t kInstanceMutex[] = L"Local\\TavikFM.SingleInstance";

int Main() {
  // Another copy runs: its message, and nothing else (no window, no setting).
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowProgramMessage(nullptr, Text(kProgramTitle) + Text(kAlreadyRunningSuffix));
    ExitProcess(0);
  }

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  ProgramValues values;
  std::unique_ptr<SettingsStore> store = MakeRegistrySettingsStore();
  PatientGateway gateway;
  IntakeCycle intake(PlatformFileSystem(), gateway);
  ProgramParts parts{ExecutableFolder(), *store, PlatformFileSystem(), intake, values};
  // frmMain, created hidden; creating it runs Form_Load.
  MainWindow window(SystemDesktopShell(), parts);
  if (!window.Create()) return 1;

  // The program lives as long as frmMain does.
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND main = window.handle();
    if (main != nullptr && IsDialogMessageW(main, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (mutex != nullptr) CloseHandle(mutex);
  return static_cast<int>(message.wParam);
}

}  // namespace
}  // namespace tavik

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return tavik::Main();
  } catch (...) {
    return 1;
  }
}
