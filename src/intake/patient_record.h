// One patient as a patient file carries it. All fields are stored as read:
// no trimming, no validation, no conversion of dates, numbers or kana.
#pragma once

#include "common/text.h"

namespace tavik {

struct PatientRecord {
  Text PNo;    // patient number as the viewer sends it (held only)
  Text PID;    // chart number: the key of the patient row (column KrNo)
  Text PName;  // KrName
  Text PKana;  // PKana
  Text PBDat;  // PBDate, the birth date as text
  Text PSex;
  Text PZip;
  Text PAddr;
  Text PTel;
  Text PFax;
  Text PInf1;
  Text PInf2;  // PInf2 to PInf8 and IName are held only
  Text PInf3;
  Text PInf4;
  Text PInf5;
  Text PInf6;
  Text PInf7;
  Text PInf8;
  Text IName;
};

}  // namespace tavik
