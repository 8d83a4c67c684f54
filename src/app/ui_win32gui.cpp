#include "app/ui_win32gui.h"

#include <cwchar>

namespace tavik {

std::string Ansi(TextView text) {
  const std::wstring wide = Wide(text);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  EnumFontFamiliesExW(screen, &query, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

HFONT CreateUiFont(int dpi, int tenth_points, const wchar_t* preferred_face) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  const int system_dpi = ScreenDpi();
  if (tenth_points > 0) {
    font.lfHeight = -MulDiv(tenth_points, dpi, 720);
  } else if (font.lfHeight != 0 && system_dpi != dpi) {
    font.lfHeight = MulDiv(font.lfHeight, dpi, system_dpi);
  } else if (font.lfHeight == 0) {
    font.lfHeight = -MulDiv(9, dpi, 72);
  }
  const wchar_t* faces[] = {preferred_face, L"MS UI Gothic", L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"};
  for (const wchar_t* face : faces) {
    if (face == nullptr || !FaceInstalled(face)) continue;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    font.lfCharSet = SHIFTJIS_CHARSET;
    break;
  }
  font.lfWeight = FW_NORMAL;
  font.lfItalic = FALSE;
  return CreateFontIndirectW(&font);
}

SIZE WindowSizeForClient(DWORD style, DWORD ex_style, bool has_menu, int client_width,
                         int client_height) {
  RECT rect{0, 0, client_width, client_height};
  AdjustWindowRectEx(&rect, style, has_menu ? TRUE : FALSE, ex_style);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

bool TestLogEnabled() {
  static const bool enabled = GetEnvironmentVariableW(L"TAVIKFM_TEST_LOG", nullptr, 0) > 0;
  return enabled;
}

void TestLog(const std::string& line) {
  if (!TestLogEnabled()) return;
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"TAVIKFM_TEST_LOG", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace tavik
