// The fixed texts of the application shell: messages, captions, menu
// items, as the user reads them.
#pragma once

#include "common/text.h"

namespace tavik {

// Message boxes: OK only, no icon, this caption.
inline constexpr TextView kMessageCaption = u"TavikFM";

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

// frmMain.
inline constexpr TextView kMainCaption = u"TavikFM";
inline constexpr TextView kCheck1Caption = u"次回からこのWindowを表示しない";
inline constexpr TextView kCmdHideCaption = u"常駐させる";
inline constexpr TextView kCmdStartUpCaption = u"自動起動させる";

// Menus.
inline constexpr TextView kMnuFile = u"ﾌｧｲﾙ(&F)";
inline constexpr TextView kMnuFileOpt = u"環境設定(&O)";
inline constexpr TextView kMnuFileExit = u"終了(&X)";
inline constexpr TextView kMnuHelp = u"ﾍﾙﾌﾟ(&H)";
inline constexpr TextView kMnuHelpIndex = u"ﾍﾙﾌﾟ目次(&H)";
inline constexpr TextView kMnuHelpAbout = u"ﾊﾞｰｼﾞｮﾝ情報(&A)";
inline constexpr TextView kMnuPopup = u"ﾒﾆｭｰ";
inline constexpr TextView kMnuPopHelp = u"ﾍﾙﾌﾟ(&H)";
inline constexpr TextView kMnuPopAbout = u"ﾊﾞｰｼﾞｮﾝ情報(&A)";
inline constexpr TextView kMnuPopOpt = u"環境設定(&O)";
inline constexpr TextView kMnuPopExit = u"終了(&X)";

}  // namespace tavik
