// Module1: the program's entry point. Refuses a second copy for the same
// logon, creates frmMain hidden and runs the message loop until it closes.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/app_texts.h"
#include "app/main_window_win32gui.h"
#include "app/shell_services.h"
#include "app/ui_win32gui.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "patientdb/patient_gateway.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {
namespace {

// One copy per logon session: "Local\" is the session's namespace.
constexpr wchar_t kInstanceMutex[] = L"Local\\TavikFM.SingleInstance";

int Main(HINSTANCE instance) {
  // S1: another copy runs. Nothing else: no window, no setting.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    const std::wstring text = Wide(Text(kProgramTitle) + Text(kAlreadyRunningSuffix));
    const std::wstring caption = Wide(kMessageCaption);
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK);
    ExitProcess(0);
  }

  // S2: frmMain, created hidden; creating it runs Form_Load.
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  ProgramValues values;
  std::unique_ptr<SettingsStore> store = MakeRegistrySettingsStore();
  PatientGateway gateway;
  IntakeCycle intake(PlatformFileSystem(), gateway);
  IntakeShellServices services(ExecutableFolder(), PlatformFileSystem(), intake);
  MainWindow window(instance, services, *store, values);
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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    return tavik::Main(instance);
  } catch (...) {
    return 1;
  }
}
