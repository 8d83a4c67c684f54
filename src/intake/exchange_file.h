// The patient file of the viewer: items separated by commas and line ends,
// each recognised by a key prefix and carrying its value from a fixed
// character position on.
#pragma once

#include <string_view>

#include "common/text.h"
#include "intake/patient_record.h"

namespace tavik {

// The function code that asks for the patient to be stored.
inline constexpr TextView kFunRegist = u"REGIST";

// What one patient file says (its format: docs/contracts.md). Every file is read into a fresh value: a
// file never inherits a field or a function code from an earlier file.
struct ExchangeFile {
  PatientRecord record;
  Text function_code;  // the value of the item "Fun"; empty when the file has none

  bool AsksForStoring() const { return function_code == kFunRegist; }
};

// Reads the items of decoded text with the rules of sequential
// comma-delimited input:
//  - blanks (space, tab) in front of an item are skipped;
//  - an unquoted item runs to the next comma or line end (CR, LF or CRLF);
//    blanks at its end are dropped; a double quote inside it stays;
//  - an item opening with a double quote runs to the next double quote,
//    commas, blanks and line ends included (to the end of the text when
//    none follows); what stands after the closing quote up to the next
//    comma or line end is discarded;
//  - an empty line yields an empty item; a last line without a line end is
//    read like any other.
class ItemReader {
 public:
  explicit ItemReader(TextView text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  // The next item; call only while !AtEnd().
  TextView Next();

 private:
  void SkipDelimiter();
  TextView text_;
  std::size_t pos_ = 0;
};

// Recognises one item by its key prefix and stores its value in `file`;
// items that match no prefix are ignored.
void ApplyItem(TextView item, ExchangeFile& file);

// Parses decoded text.
ExchangeFile ParseExchangeText(TextView text);

// Decodes the bytes of a patient file (ANSI code page) and parses them.
ExchangeFile ParseExchangeBytes(std::string_view bytes);

}  // namespace tavik
