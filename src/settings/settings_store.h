// The per-user settings store, shared with the viewer TavikView.
//
// On Windows: the current user's registry area of the per-application
// settings functions, HKEY_CURRENT_USER\Software\VB and VBA Program
// Settings\<application>\<section>, value <key>, REG_SZ.
#pragma once

#include <memory>

#include "common/program_texts.h"
#include "common/text.h"

namespace tavik {

// Where the program's settings and the viewer's live (docs/contracts.md): the application
// (kProgramTitle, kViewerTitle), this section, and the keys.
inline constexpr TextView kSettingsSection = u"Settings";
inline constexpr TextView kKeyFolda = u"Folda";
inline constexpr TextView kKeyKosinTime = u"KosinTime";
inline constexpr TextView kKeyVisible = u"Visible";

// Names are compared without regard to case, as the registry compares
// them. An empty application, section or key names no entry: reading it
// gives the default, writing it fails.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or `default_value` when the application, section or
  // key is absent; creates nothing.
  virtual Text ReadSetting(TextView application, TextView section, TextView key, TextView default_value) = 0;
  // Stores the text, creating application and section as needed. False
  // when the store could not be written.
  virtual bool WriteSetting(TextView application, TextView section, TextView key, TextView value) = 0;
};

#ifdef _WIN32
std::unique_ptr<SettingsStore> MakeRegistrySettingsStore();
#endif

}  // namespace tavik
