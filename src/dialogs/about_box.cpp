#include "dialogs/about_box.h"

#include "common/program_texts.h"

namespace tavik {

Text AboutCaption(TextView title) {
  Text caption(title);
  caption += kAboutCaptionSuffix;
  return caption;
}

Text AboutVersionLine(const ProgramVersion& version) {
  Text line(kAboutVersionPrefix);
  line += DecimalText(version.major);
  line += kAboutVersionSeparator;
  line += DecimalText(version.minor);
  line += kAboutVersionSeparator;
  line += DecimalText(version.revision);
  return line;
}

}  // namespace tavik
