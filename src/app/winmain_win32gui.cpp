// The program's entry point: refuses a second copy for the same logon,
// creates the main window hidden and runs the message loop until it
// closes.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/main_window_win32gui.h"
#include "common/handles_win32.h"
#include "common/program_texts.h"
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
  const KernelHandle instance_mutex(CreateMutexW(nullptr, FALSE, kInstanceMutex));
  if (instance_mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
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
  ProgramServices services{ExecutableFolder(), *store, PlatformFileSystem(), intake, values};
  // Created hidden; creating it runs the start-up sequence.
  MainWindow window(SystemDesktopShell(), services);
  if (!window.Create()) return 1;

  // The program lives as long as the main window does.
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.TakeDialogKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
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
