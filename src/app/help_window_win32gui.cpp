#include "app/help_window_win32gui.h"

#include <utility>

#include "app/help_pages.h"
#include "common/program_texts.h"
#include "common/wide_text_win32.h"

namespace tavik {
namespace {

constexpr DWORD kHelpStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;

// The layout in twips: client area and controls.
constexpr int kClientWidth = 9000;
constexpr int kClientHeight = 6960;
constexpr TwipsRect kContentsLabelPlace{120, 120, 2880, 252};
constexpr TwipsRect kContentsPlace{120, 400, 2880, 6440};
constexpr TwipsRect kTextPlace{3120, 120, 5760, 4200};
constexpr TwipsRect kLinksLabelPlace{3120, 4440, 3000, 252};
constexpr TwipsRect kLinksPlace{3120, 4720, 5760, 1560};
constexpr TwipsRect kClosePlace{7560, 6440, 1320, 400};

}  // namespace

HelpWindow::HelpWindow(HelpFile help) : help_(std::move(help)) {}

HelpWindow::~HelpWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool HelpWindow::Open(HICON icon) {
  if (!RegisterProgramClass(kHelpWindowClass, &ObjectWindowProc<HelpWindow>)) return false;
  RECT frame{0, 0, scale_.X(kClientWidth), scale_.Y(kClientHeight)};
  AdjustWindowRectEx(&frame, kHelpStyle, FALSE, 0);
  // A window of its own, with a taskbar entry: it stays while the main
  // window hides in the tray.
  if (CreateWindowExW(0, kHelpWindowClass, WideCStr(help_.title), kHelpStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                      this) == nullptr) {
    return false;
  }
  if (icon != nullptr) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  if (!help_.topics.empty()) ShowTopic(help_.contents_topic);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  SetFocus(GetDlgItem(hwnd_, kIdHelpContents));
  return true;
}

void HelpWindow::BringForward() {
  if (hwnd_ == nullptr) return;
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
}

bool HelpWindow::TakeDialogKey(MSG& message) { return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message); }

void HelpWindow::CreateControls() {
  font_ = CreateProgramFont(scale_);
  // Created in tab order.
  CreateChild(hwnd_, L"STATIC", Text(kHelpContentsLabel), SS_LEFT | SS_NOPREFIX, 0, kIdHelpContentsLabel,
              kContentsLabelPlace, scale_, font_.get());
  HWND contents = CreateChild(hwnd_, L"LISTBOX", Text(), kList, WS_EX_CLIENTEDGE, kIdHelpContents, kContentsPlace,
                              scale_, font_.get());
  for (const HelpTopic& topic : help_.topics) {
    SendMessageW(contents, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideCStr(topic.title)));
  }
  CreateChild(hwnd_, L"EDIT", Text(), ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE, kIdHelpText, kTextPlace, scale_, font_.get());
  CreateChild(hwnd_, L"STATIC", Text(kHelpLinksLabel), SS_LEFT | SS_NOPREFIX, 0, kIdHelpLinksLabel, kLinksLabelPlace,
              scale_, font_.get());
  CreateChild(hwnd_, L"LISTBOX", Text(), kList, WS_EX_CLIENTEDGE, kIdHelpLinks, kLinksPlace, scale_, font_.get());
  CreateChild(hwnd_, L"BUTTON", Text(kHelpCloseCaption), BS_PUSHBUTTON | WS_TABSTOP, 0, kIdHelpClose, kClosePlace,
              scale_, font_.get());
}

LRESULT HelpWindow::OnWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE: hwnd_ = hwnd; return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_CREATE: CreateControls(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_CTLCOLORSTATIC:
      // The topic's text, read-only, in the colours of text to read.
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lparam)) == kIdHelpText) {
        const auto dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_NCDESTROY: hwnd_ = nullptr; return DefWindowProcW(hwnd, message, wparam, lparam);
    default: return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

void HelpWindow::OnCommand(int id, int code) {
  switch (id) {
    case kIdHelpContents:
      if (code == LBN_SELCHANGE) {
        const LRESULT chosen = SendDlgItemMessageW(hwnd_, kIdHelpContents, LB_GETCURSEL, 0, 0);
        if (chosen >= 0) ShowTopic(static_cast<std::size_t>(chosen));
      }
      break;
    case kIdHelpLinks:
      if (code == LBN_DBLCLK) FollowChosenLink();
      break;
    case IDOK:  // Enter: follows the chosen link from the links list
      if (GetDlgCtrlID(GetFocus()) == kIdHelpLinks) FollowChosenLink();
      break;
    case IDCANCEL:  // Escape
    case kIdHelpClose: DestroyWindow(hwnd_); break;
    default: break;
  }
}

void HelpWindow::ShowTopic(std::size_t topic) {
  if (topic >= help_.topics.size()) return;
  const HelpPage page = PageOf(help_, topic);
  SendDlgItemMessageW(hwnd_, kIdHelpContents, LB_SETCURSEL, static_cast<WPARAM>(topic), 0);
  SetDlgItemTextW(hwnd_, kIdHelpText, WideCStr(page.text));
  HWND links = GetDlgItem(hwnd_, kIdHelpLinks);
  SendMessageW(links, LB_RESETCONTENT, 0, 0);
  link_topics_.clear();
  for (const HelpLink& link : page.links) {
    SendMessageW(links, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideCStr(link.title)));
    link_topics_.push_back(link.topic);
  }
  if (!link_topics_.empty()) SendMessageW(links, LB_SETCURSEL, 0, 0);
}

void HelpWindow::FollowChosenLink() {
  const LRESULT chosen = SendDlgItemMessageW(hwnd_, kIdHelpLinks, LB_GETCURSEL, 0, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= link_topics_.size()) return;
  ShowTopic(link_topics_[static_cast<std::size_t>(chosen)]);
}

}  // namespace tavik
