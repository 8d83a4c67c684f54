// Patient files as the viewer writes them, for the viewer simulator, the
// benchmarks and the fuzz seeds: one item per line, CRLF line ends, the
// bytes in code page 932.
//
//   Func=REGIST          the value of "Fun" starts at its 6th character
//   PNo=12
//   PID="100012"         PID and PAddr values are quoted, the reader strips them
//   PName=山田 太郎
//   PKana=ﾔﾏﾀﾞ ﾀﾛｳ         half-width katakana
//   PBDate=1958/03/21    "PBDat" plus "e=": the value starts at the 8th character
//   PSex=男
//   PZip=160-0023
//   PAddr="東京都新宿区西新宿１丁目２番３号"
//   PTel=03-1234-5678
//   PFax=
//   PInf1=糖尿病
//   IName=さくら内科クリニック
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/text.h"
#include "intake/patient_record.h"

namespace tavik::viewer {

inline constexpr TextView kFunRegist = u"REGIST";

// What one file carries: the patient and the function code (none: the file
// has no "Fun" line).
struct PatientFile {
  PatientRecord record;
  std::optional<Text> fun{Text(kFunRegist)};
};

// Patients drawn deterministically from small built-in lists of names,
// readings and places: the same seed gives the same patients on every
// platform (no standard library distributions involved).
class PatientGenerator {
 public:
  explicit PatientGenerator(std::uint64_t seed);

  // The next patient, filed under `chart_number` with the viewer's running
  // patient number `patient_number`.
  PatientRecord Next(TextView chart_number, std::uint64_t patient_number);

  // A number in [0, bound); bound > 0.
  std::uint64_t Draw(std::uint64_t bound);

 private:
  std::uint64_t state_;
};

// A chart number: `number` in decimal, zero-padded to `width` digits.
Text ChartNumber(std::uint64_t number, std::size_t width);

// The lines of a patient file, each ended by CRLF, as decoded text.
Text PatientFileText(const PatientFile& file);

// The same lines as the viewer writes them: code page 932 bytes.
std::string PatientFileBytes(const PatientFile& file);

// Text in the machine's ANSI code page (932 in the portable build), as the
// viewer writes it: characters the code page lacks become "?". Of two
// codes for one character the lowest is written, a single byte before a
// pair.
std::string EncodeAnsi(TextView text);

// True when every field of the two records holds the same text.
bool SameRecord(const PatientRecord& a, const PatientRecord& b);

}  // namespace tavik::viewer
