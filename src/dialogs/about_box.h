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

}  // namespace tavik
