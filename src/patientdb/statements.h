// The three statements on the patient table `tavik`, built as plain text.
// Every value enters as a character literal with each single quote written
// twice; nothing else is done to it (no trimming, no length limit). The
// texts are kept character for character (docs/contracts.md).
#pragma once

#include "common/text.h"
#include "intake/patient_record.h"

namespace tavik {

// The value between the quotes of an SQL character literal.
Text QuoteSqlValue(TextView value);

Text BuildLookupStatement(TextView chart_number);
Text BuildUpdateStatement(const PatientRecord& record);
Text BuildInsertStatement(const PatientRecord& record);

}  // namespace tavik
