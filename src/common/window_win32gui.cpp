#include "common/window_win32gui.h"

#include <vector>

#include "common/paths.h"
#include "common/program_texts.h"
#include "common/wide_text_win32.h"

namespace tavik {

void ShowProgramMessage(HWND owner, const Text& text) {
  MessageBoxW(owner, WideCStr(text), WideCStr(Text(kProgramTitle)), MB_OK);
}

Text ExecutablePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return Text();
    if (length < path.size()) return TextFromWide(std::wstring_view(path.data(), length));
    path.resize(path.size() * 2);
  }
}

Text ExecutableFolder() { return FolderOfPath(ExecutablePath()); }

bool RegisterProgramClass(const wchar_t* name, WNDPROC procedure, HICON icon, HICON small_icon) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hIcon = icon;
  window_class.hIconSm = small_icon;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = name;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::string AnsiText(TextView text) {
  const std::wstring wide = ToWideString(text);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

Text WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int got = GetWindowTextW(window, buffer.data(), length + 1);
  return TextFromWide(std::wstring_view(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0)));
}

PixelScale::PixelScale() {
  const WindowDC screen(nullptr);
  if (screen.get() != nullptr) {
    dpi_x_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpi_y_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  if (dpi_x_ <= 0) dpi_x_ = 96;
  if (dpi_y_ <= 0) dpi_y_ = 96;
}

FontHandle CreateProgramFont(const PixelScale& scale, int tenth_points) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(tenth_points, scale.dpi_y(), 720);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  lstrcpynW(font.lfFaceName, L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", LF_FACESIZE);  // ＭＳ Ｐゴシック
  HFONT created = CreateFontIndirectW(&font);
  // Deleting a stock object is harmless: the owner may hold one.
  return FontHandle(created != nullptr ? created : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

HWND CreateChild(HWND parent, const wchar_t* window_class, const Text& text, DWORD style, DWORD ex_style, int id,
                 const TwipsRect& place, const PixelScale& scale, HFONT font) {
  HWND child =
      CreateWindowExW(ex_style, window_class, WideCStr(text), WS_CHILD | WS_VISIBLE | style, scale.X(place.left),
                      scale.Y(place.top), scale.X(place.width), scale.Y(place.height), parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (child != nullptr && font != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

}  // namespace tavik
