// Windows-only helpers of the test programs: the settings in the registry
// where the program and the viewer keep them.
#pragma once

#include <optional>

#include "common/text.h"

namespace tavik::test {

// Values under HKEY_CURRENT_USER\Software\VB and VBA Program Settings,
// key <application>\Settings, value <key>, REG_SZ.
void SetRegistrySetting(TextView application, TextView key, TextView value);
std::optional<Text> RegistrySetting(TextView application, TextView key);
// Removes the application's whole key.
void DeleteRegistryApplication(TextView application);

}  // namespace tavik::test
