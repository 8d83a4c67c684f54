// The version dialog's texts, without windows.
#pragma once

#include "common/text.h"

namespace tavik {

struct ProgramVersion {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned revision = 0;
};

// "<title>のﾊﾞｰｼﾞｮﾝ情報"
Text AboutCaption(TextView title);
// "ﾊﾞｰｼﾞｮﾝ <major>.<minor>.<revision>", plain decimal numbers.
Text AboutVersionLine(const ProgramVersion& version);

// The caption and texts the version dialog is made with, before the
// program's own replace them.
inline constexpr TextView kAboutInitialCaption = u"ﾊﾞｰｼﾞｮﾝ情報";
inline constexpr TextView kAboutInitialTitle = u"ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ";
inline constexpr TextView kAboutInitialVersion = u"ﾊﾞｰｼﾞｮﾝ";
inline constexpr TextView kAboutDescription = u"TavikViewから受け取った患者情報をファイルメーカーに登録します。";

}  // namespace tavik
