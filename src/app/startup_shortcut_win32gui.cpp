#include "app/startup_shortcut_win32gui.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>

#include "common/program_texts.h"
#include "common/wide_text_win32.h"

namespace tavik {
namespace {

// COM for the length of one operation. A thread already in another
// apartment model (RPC_E_CHANGED_MODE) can use COM as it is, and must not
// be uninitialised by us.
class ComScope {
 public:
  ComScope() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    usable_ = SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    owned_ = SUCCEEDED(result);  // S_OK and S_FALSE both want their CoUninitialize
  }
  ~ComScope() {
    if (owned_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool usable() const { return usable_; }

 private:
  bool usable_ = false;
  bool owned_ = false;
};

// Memory the shell handed out, given back to it.
struct ShellMemoryFree {
  void operator()(void* memory) const { CoTaskMemFree(memory); }
};

// The Startup folder as the shell reports it, made when missing (docs/contracts.md);
// empty on failure.
Text StartupFolder() {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_CREATE, nullptr, &path);
  const std::unique_ptr<wchar_t, ShellMemoryFree> owned(path);
  return SUCCEEDED(result) && owned ? TextFromWide(owned.get()) : Text();
}

}  // namespace

bool SaveStartupShortcut(const Text& program_folder) {
  if (program_folder.empty()) return false;
  // The target's name is fixed, whatever the running executable is called
  // (docs/contracts.md).
  const Text target = program_folder + Text(kProgramFileSuffix);

  ComScope com;  // declared before the objects: released after them
  if (!com.usable()) return false;
  const Text startup = StartupFolder();
  if (startup.empty()) return false;
  const Text shortcut = startup + Text(kShortcutFileSuffix);

  Microsoft::WRL::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
  // Only the target: no arguments, working folder, icon, description, hot
  // key or window style.
  if (FAILED(link->SetPath(WideCStr(target)))) return false;
  Microsoft::WRL::ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file))) return false;
  return SUCCEEDED(file->Save(WideCStr(shortcut), TRUE));
}

}  // namespace tavik
