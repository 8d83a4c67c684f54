// Every text the program shows its users, and the names it gives the files
// and folders it looks for, in one place. The menus' captions are in the
// resources (app/main_window.rc). Each text is the clinics' staff's: the
// administrator's guide and the help quote them as they stand here, and
// they stay so (docs/contracts.md).
#pragma once

#include "common/text.h"

namespace tavik {

// Who the program is: its title (captions, message boxes, its settings'
// application name) and the viewer whose settings it reads.
inline constexpr TextView kProgramTitle = u"TavikFM";
inline constexpr TextView kViewerTitle = u"TavikView";

// The tray icon's tip, a fixed ANSI text of the tray record.
inline constexpr char kTrayTip[] = "TavikFM";

// A second copy started while one runs (after the program title).
inline constexpr TextView kAlreadyRunningSuffix = u" は既に起動されています";

// The start-up's checks.
inline constexpr TextView kExchangeFolderMissing =
    u"データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。";
inline constexpr TextView kDatabaseFileMissing = u"ﾌｧｲﾙﾒｰｶｰのﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙが見つかりません";

// The start-up's error message: "ｴﾗｰ: '<number>' - <description>.".
inline constexpr TextView kStartupErrorOpening = u"ｴﾗｰ: '";
inline constexpr TextView kStartupErrorBetween = u"' - ";
inline constexpr TextView kStartupErrorClosing = u".";
// The run-time errors it reports, with their numbers.
inline constexpr int kTypeMismatch = 13;  // a text that is not a number
inline constexpr TextView kTypeMismatchText = u"型が一致しません。";
inline constexpr int kOverflow = 6;  // a number outside the target type
inline constexpr TextView kOverflowText = u"オーバーフローしました。";
inline constexpr int kOutOfMemory = 7;
inline constexpr TextView kOutOfMemoryText = u"メモリが不足しています。";
inline constexpr int kInvalidCall = 5;  // any other failure
inline constexpr TextView kInvalidCallText = u"プロシージャの呼び出し、または引数が不正です。";

// Names appended to the program's folder and the viewer's.
inline constexpr TextView kExchangeSuffix = u"\\Filemk";
inline constexpr TextView kDatabaseFileSuffix = u"\\tavik.fp5";
inline constexpr TextView kHelpFileSuffix = u"\\tavikfm.hlp";
inline constexpr TextView kProgramFileSuffix = u"\\tavikFM.exe";  // the shortcut's target, whatever the exe is called
inline constexpr TextView kShortcutFileSuffix = u"\\TavikFMのショートカット.lnk";  // in the Startup folder

// The Windows help engine could not be called.
inline constexpr TextView kHelpUnavailable = u"DLL エントリ ポイント WinHelpA が user32 に見つかりません。";

// The program's own help window, where Windows shows no help files: its
// caption is the help file's title.
inline constexpr TextView kHelpContentsLabel = u"目次";
inline constexpr TextView kHelpLinksLabel = u"関連項目";
inline constexpr TextView kHelpCloseCaption = u"閉じる";
// Followed on the next line by the help file's path.
inline constexpr TextView kHelpFileUnreadable = u"ヘルプファイルを開けません。";

// The start-up shortcut.
inline constexpr TextView kShortcutRegistered = u"ｽﾀｰﾄｱｯﾌﾟに登録しました";
inline constexpr TextView kShortcutFailed = u"ｽﾀｰﾄｱｯﾌﾟ登録に失敗しました";

// The main window's controls.
inline constexpr TextView kStartHiddenCaption = u"次回からこのWindowを表示しない";
inline constexpr TextView kHideToTrayCaption = u"常駐させる";
inline constexpr TextView kStartupShortcutCaption = u"自動起動させる";

// Buttons the dialogs share.
inline constexpr TextView kOkCaption = u"OK";
inline constexpr TextView kCancelCaption = u"キャンセル";

// The options dialog.
inline constexpr TextView kOptionsCaption = u"設定";
inline constexpr TextView kExchangeFolderLabel = u"データ交信フォルダ";
inline constexpr TextView kIntervalLabel = u"データ交信の間隔";
inline constexpr TextView kIntervalUnitLabel = u"ミリ秒ごと";
inline constexpr TextView kBackupFolderLabel = u"データのバックアップフォルダ";
inline constexpr TextView kDatabaseFolderLabel = u"FileMakerデータベースのフォルダ";
inline constexpr TextView kBrowseCaption = u"...";
inline constexpr TextView kNotANumberMessage = u"数値を入力して下さい";

// The folder picker.
inline constexpr TextView kPickerCaption = u"フォルダ";
inline constexpr TextView kPickerOkCaption = u"O K";
// A fixed disk's label after its drive in the drive list: "c: [LABEL]".
inline constexpr TextView kDriveLabelOpening = u" [";
inline constexpr TextView kDriveLabelClosing = u"]";

// The version dialog: "<title>のﾊﾞｰｼﾞｮﾝ情報", "ﾊﾞｰｼﾞｮﾝ <major>.<minor>.<revision>".
inline constexpr TextView kAboutCaptionSuffix = u"のﾊﾞｰｼﾞｮﾝ情報";
inline constexpr TextView kAboutVersionPrefix = u"ﾊﾞｰｼﾞｮﾝ ";
inline constexpr TextView kAboutVersionSeparator = u".";
inline constexpr TextView kAboutDescription = u"TavikViewから受け取った患者情報をファイルメーカーに登録します。";

}  // namespace tavik
