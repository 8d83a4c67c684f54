// The fixed texts of the application shell: what the user reads, and the
// names it appends to the program's and the viewer's folders.
#pragma once

#include "common/text.h"

namespace tavik {

// A second copy started while one runs (after the program title).
inline constexpr TextView kAlreadyRunningSuffix = u" は既に起動されています";

// Start-up checks.
inline constexpr TextView kExchangeFolderMissing =
    u"データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。";
inline constexpr TextView kDatabaseFileMissing = u"ﾌｧｲﾙﾒｰｶｰのﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙが見つかりません";

// Suffixes appended to the program folder and the viewer's folder.
inline constexpr TextView kExchangeSuffix = u"\\Filemk";
inline constexpr TextView kDatabaseFileSuffix = u"\\tavik.fp5";
inline constexpr TextView kHelpFileSuffix = u"\\tavikfm.hlp";

// The help engine could not be called.
inline constexpr TextView kHelpUnavailable = u"DLL エントリ ポイント WinHelpA が user32 に見つかりません。";

// The start-up shortcut.
inline constexpr TextView kShortcutRegistered = u"ｽﾀｰﾄｱｯﾌﾟに登録しました";
inline constexpr TextView kShortcutFailed = u"ｽﾀｰﾄｱｯﾌﾟ登録に失敗しました";

// The main window's controls.
inline constexpr TextView kStartHiddenCaption = u"次回からこのWindowを表示しない";
inline constexpr TextView kHideToTrayCaption = u"常駐させる";
inline constexpr TextView kStartupShortcutCaption = u"自動起動させる";

}  // namespace tavik
