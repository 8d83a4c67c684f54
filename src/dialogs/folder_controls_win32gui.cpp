#include "dialogs/folder_controls_win32gui.h"

#include <shellapi.h>

#include <algorithm>

#include "common/program_texts.h"
#include "common/wide_text_win32.h"

namespace tavik {

namespace {

// No "insert a disk" box from the system while a drive is looked at.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
  ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD previous_ = 0;
};

// The full path of a folder text; for a bare drive the process's current
// folder on that drive. Empty when the text cannot be made a path.
Text FullPath(const Text& path) {
  const DWORD needed = GetFullPathNameW(WideCStr(path), 0, nullptr, nullptr);
  if (needed == 0) return Text();
  std::vector<wchar_t> buffer(needed + 1);
  const DWORD got = GetFullPathNameW(WideCStr(path), needed + 1, buffer.data(), nullptr);
  if (got == 0 || got > needed) return Text();
  return TextFromWide(std::wstring_view(buffer.data(), got));
}

bool IsFolder(const Text& path) {
  QuietDriveErrors quiet;
  const DWORD attributes = GetFileAttributesW(WideCStr(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SameDrive(const Text& a, const Text& b) {
  const Text da = DriveOfPath(a);
  return !da.empty() && da == DriveOfPath(b);
}

// The subfolders of a folder, sorted by name as the user's locale sorts
// them; "." and ".." and hidden folders left out.
std::vector<Text> Subfolders(const Text& folder) {
  std::vector<Text> names;
  QuietDriveErrors quiet;
  WIN32_FIND_DATAW data;
  const FindHandle find(FindFirstFileExW(WideCStr(JoinFolder(folder, u"*")), FindExInfoBasic, &data,
                                         FindExSearchLimitToDirectories, nullptr, 0));
  if (!find) return names;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0) continue;
    if (lstrcmpW(data.cFileName, L".") == 0 || lstrcmpW(data.cFileName, L"..") == 0) continue;
    names.push_back(TextFromWide(data.cFileName));
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end(), [](const Text& a, const Text& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, WideCStr(a), -1, WideCStr(b), -1) == CSTR_LESS_THAN;
  });
  return names;
}

IconHandle FolderIcon(bool open) {
  SHFILEINFOW info{};
  UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
  if (open) flags |= SHGFI_OPENICON;
  if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags) == 0) return IconHandle();
  return IconHandle(info.hIcon);
}

}  // namespace

FolderTreeBox::FolderTreeBox(HWND list) : list_(list), closed_icon_(FolderIcon(false)), open_icon_(FolderIcon(true)) {}

bool FolderTreeBox::SetPath(const Text& path) {
  if (path.empty()) return false;
  const Text target = NormalisedFolderPath(IsBareDrive(path) && SameDrive(path, open_) ? open_ : FullPath(path));
  if (target.empty() || !IsFolder(target)) return false;
  open_ = target;
  Fill();
  return true;
}

void FolderTreeBox::OpenListed(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return;
  const Text path = entries_[static_cast<std::size_t>(index)].path;
  if (IsFolder(path)) {
    open_ = NormalisedFolderPath(path);
  }
  // A folder that went away meanwhile: the open one is listed afresh.
  Fill();
}

void FolderTreeBox::Fill() {
  entries_.clear();
  const std::vector<Text> chain = FolderChain(open_);
  int level = 0;
  for (const Text& folder : chain) entries_.push_back({folder, level++, true});
  for (const Text& name : Subfolders(open_)) entries_.push_back({JoinFolder(open_, name), level, false});

  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (const Entry& entry : entries_) {
    const Text name = FolderDisplayName(entry.path);
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideCStr(name)));
  }
  SendMessageW(list_, LB_SETTOPINDEX, 0, 0);
  if (!chain.empty()) SendMessageW(list_, LB_SETCURSEL, chain.size() - 1, 0);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void FolderTreeBox::Draw(const DRAWITEMSTRUCT& item) const {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) {
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
    return;
  }
  const Entry& entry = entries_[item.itemID];
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  const int icon_width = GetSystemMetrics(SM_CXSMICON);
  const int icon_height = GetSystemMetrics(SM_CYSMICON);
  const int indent = icon_width / 2 + 1;
  const int x = box.left + 2 + entry.level * indent;
  const int y = box.top + (box.bottom - box.top - icon_height) / 2;
  HICON icon = entry.open_chain ? open_icon_.get() : closed_icon_.get();
  if (icon != nullptr) DrawIconEx(dc, x, y, icon, icon_width, icon_height, 0, nullptr, DI_NORMAL);

  HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text_box = box;
  text_box.left = x + icon_width + 3;
  const Text name = FolderDisplayName(entry.path);
  DrawTextW(dc, WideCStr(name), -1, &text_box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, old_font);
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &box);
}

UINT FolderTreeBox::ItemHeight(HWND dialog, HFONT font) {
  int height = 16;
  const WindowDC dc(dialog);
  if (dc.get() != nullptr) {
    HGDIOBJ old = SelectObject(dc.get(), font);
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc.get(), &metrics)) height = metrics.tmHeight;
    SelectObject(dc.get(), old);
  }
  height = std::max(height, GetSystemMetrics(SM_CYSMICON)) + 2;
  return static_cast<UINT>(height);
}

DriveCombo::DriveCombo(HWND combo) : combo_(combo) {
  std::vector<wchar_t> buffer(512);
  DWORD got = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (got > buffer.size()) {
    buffer.resize(got + 1);
    got = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (got > buffer.size()) got = 0;
  QuietDriveErrors quiet;
  for (const wchar_t* root = buffer.data(); root < buffer.data() + got && *root != L'\0'; root += lstrlenW(root) + 1) {
    const Text drive = DriveOfPath(TextFromWide(root));
    if (drive.empty()) continue;
    // Shown as "c: [label]" for a fixed disk with a label; removable drives
    // are not asked, so that no medium is needed to open the list.
    Text shown = drive;
    shown[0] = static_cast<char16_t>(shown[0] - u'A' + u'a');
    const UINT type = GetDriveTypeW(root);
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) {
      wchar_t label[MAX_PATH + 1] = {};
      if (GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && label[0] != 0) {
        shown += kDriveLabelOpening;
        shown += TextFromWide(label);
        shown += kDriveLabelClosing;
      }
    }
    drives_.push_back(drive);
    SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideCStr(shown)));
  }
  // The process's current drive is shown at first.
  wchar_t current[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, current);
  const Text current_drive = length > 0 && length <= MAX_PATH ? DriveOfPath(TextFromWide(current)) : Text();
  current_ = drives_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i] == current_drive) current_ = static_cast<int>(i);
  }
  SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(current_), 0);
}

Text DriveCombo::Drive() const { return current_ >= 0 ? drives_[static_cast<std::size_t>(current_)] : Text(); }

int DriveCombo::Shown() const { return static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0)); }

bool DriveCombo::SetDrive(const Text& drive_or_path) {
  const Text drive = DriveOfPath(drive_or_path);
  if (drive.empty()) return false;
  int index = -1;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i] == drive) index = static_cast<int>(i);
  }
  if (index < 0) return false;
  if (index != current_) {
    current_ = index;
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (on_change) on_change();
  }
  return true;
}

void DriveCombo::UserPicked() {
  const int index = Shown();
  if (index < 0 || index == current_) return;
  current_ = index;
  if (on_change) on_change();
}

}  // namespace tavik
