// On Windows patient files are read in the ANSI code page of the machine
// (932 on the clinics' machines), as the viewer writes them.
#include <windows.h>

#include "intake/ansi_decoder.h"

namespace tavik {

namespace {

bool Convert(const char* bytes, int len, char16_t& out) {
  wchar_t buffer[4];
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, len, buffer, 4);
  if (n != 1) return false;
  out = static_cast<char16_t>(buffer[0]);
  return true;
}

}  // namespace

std::unique_ptr<AnsiDecoder::Tables> BuildAnsiTables() {
  auto tables = std::make_unique<AnsiDecoder::Tables>();
  for (unsigned b = 0; b < tables->single.size(); ++b) {
    const auto byte = static_cast<BYTE>(b);
    tables->single[b] = 0xFFFD;
    if (IsDBCSLeadByteEx(CP_ACP, byte)) {
      tables->lead[b] = true;
      continue;
    }
    const char c = static_cast<char>(byte);
    char16_t decoded = 0;
    if (Convert(&c, 1, decoded)) tables->single[b] = decoded;
  }
  for (unsigned lead = 0; lead < tables->lead.size(); ++lead) {
    if (!tables->lead[lead]) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char16_t decoded = 0;
      if (Convert(pair, 2, decoded)) tables->pair[lead << 8 | trail] = decoded;
    }
  }
  return tables;
}

}  // namespace tavik
