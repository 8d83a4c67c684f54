#include "support/test_support_win32.h"

#include <windows.h>

#include <vector>

#include "common/wide_text_win32.h"

namespace tavik::test {

namespace {

Text ApplicationKey(TextView application) {
  return u"Software\\VB and VBA Program Settings\\" + Text(application);
}

}  // namespace

void SetRegistrySetting(TextView application, TextView key, TextView value) {
  HKEY handle = nullptr;
  const Text section = ApplicationKey(application) + u"\\Settings";
  if (RegCreateKeyExW(HKEY_CURRENT_USER, WideCStr(section), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const Text data(value);
  RegSetValueExW(handle, WideCStr(Text(key)), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
  RegCloseKey(handle);
}

std::optional<Text> RegistrySetting(TextView application, TextView key) {
  const Text section = ApplicationKey(application) + u"\\Settings";
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, WideCStr(section), WideCStr(Text(key)), RRF_RT_REG_SZ, nullptr, nullptr,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
  if (RegGetValueW(HKEY_CURRENT_USER, WideCStr(section), WideCStr(Text(key)), RRF_RT_REG_SZ, nullptr,
                   buffer.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return TextFromWide(buffer.data());
}

void DeleteRegistryApplication(TextView application) {
  RegDeleteTreeW(HKEY_CURRENT_USER, WideCStr(ApplicationKey(application)));
}

}  // namespace tavik::test
