// The settings store in the registry, where the per-application settings
// functions keep it: HKEY_CURRENT_USER\Software\VB and VBA Program
// Settings\<application>\<section>, one REG_SZ value per key. The viewer
// writes its entries there through the same functions, so its "Folda" is
// found under its own application name.
//
// Reading opens the section's key for querying only: a missing application,
// section or key yields the default and leaves the registry as it was.
// Values of another type than REG_SZ count as absent. A stored text ends at
// its first NUL or at the end of the data, whichever comes first, so values
// written without a terminating NUL read correctly too.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/handles_win32.h"
#include "common/wide_text_win32.h"
#include "settings/settings_store.h"

namespace tavik {

namespace {

const wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

class RegistrySettingsStore final : public SettingsStore {
 public:
  Text ReadSetting(TextView application, TextView section, TextView key, TextView default_value) override {
    if (!Addressable(application, section, key)) return Text(default_value);
    RegistryKey handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0, KEY_QUERY_VALUE, handle.put()) !=
        ERROR_SUCCESS) {
      return Text(default_value);
    }
    std::optional<Text> stored = QueryText(handle.get(), ToWideString(key));
    return stored ? *std::move(stored) : Text(default_value);
  }

  bool WriteSetting(TextView application, TextView section, TextView key, TextView value) override {
    if (!Addressable(application, section, key)) return false;
    // The data is the text and its terminating NUL; its size must fit a DWORD.
    if (value.size() >= (MAXDWORD / sizeof(wchar_t)) - 1) return false;
    RegistryKey handle;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, handle.put(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const std::wstring data = ToWideString(value);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(handle.get(), ToWideString(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
  }

 private:
  // Names the store cannot address: an empty application or section would
  // name another key, an empty key the key's unnamed value.
  static bool Addressable(TextView application, TextView section, TextView key) {
    return !application.empty() && !section.empty() && !key.empty();
  }

  static std::wstring SectionPath(TextView application, TextView section) {
    return kSettingsRoot + ToWideString(application) + L"\\" + ToWideString(section);
  }

  static std::optional<Text> QueryText(HKEY key, const std::wstring& name) {
    // REG_SZ only: REG_EXPAND_SZ is not expanded into one either.
    constexpr DWORD kTextOnly = RRF_RT_REG_SZ | RRF_NOEXPAND;
    std::vector<wchar_t> data;
    // The value may grow between asking for its size and reading it.
    for (int attempt = 0; attempt < 8; ++attempt) {
      DWORD size = 0;
      if (RegGetValueW(key, nullptr, name.c_str(), kTextOnly, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
      }
      // Room for a terminator after data of an odd length too.
      data.assign(size / sizeof(wchar_t) + 2, L'\0');
      DWORD capacity = static_cast<DWORD>(data.size() * sizeof(wchar_t));
      const LONG status = RegGetValueW(key, nullptr, name.c_str(), kTextOnly, nullptr, data.data(), &capacity);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) return std::nullopt;
      // The text ends at its first NUL; RegGetValue puts one after data
      // stored without.
      const std::wstring_view stored(data.data(), std::min<std::size_t>(capacity / sizeof(wchar_t), data.size()));
      return TextFromWide(stored.substr(0, stored.find(L'\0')));
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<SettingsStore> MakeRegistrySettingsStore() { return std::make_unique<RegistrySettingsStore>(); }

}  // namespace tavik
