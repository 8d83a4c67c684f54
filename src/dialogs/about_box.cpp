#include "dialogs/about_box.h"

namespace tavik {

Text AboutCaption(TextView title) {
  Text caption(title);
  caption += u"のﾊﾞｰｼﾞｮﾝ情報";
  return caption;
}

Text AboutVersionLine(const ProgramVersion& version) {
  Text line = u"ﾊﾞｰｼﾞｮﾝ ";
  line += DecimalText(version.major);
  line += u".";
  line += DecimalText(version.minor);
  line += u".";
  line += DecimalText(version.revision);
  return line;
}

}  // namespace tavik
