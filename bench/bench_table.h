// What the store and intake benchmarks share: the patient table as they
// arrange it, and taking their own options out of the arguments.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "intake/patient_record.h"
#include "patientdb/odbc.h"

namespace tavik::bench {

// Runs one statement on an open connection.
void Exec(odbc::Connection& connection, TextView sql);

// Creates `tavik` afresh as the tests do, with an index on KrNo, as a
// patient table would have. With `compact`, the file gives the dropped
// table's pages back.
void CreatePatientTable(odbc::Connection& connection, bool compact);

// Inserts the rows with multi-row INSERTs of `rows_per_statement`: a few
// commits instead of one a row.
void InsertRows(odbc::Connection& connection, const std::vector<PatientRecord>& rows, std::size_t rows_per_statement);

// The arguments less those that start with `prefix` (an option of the
// benchmark's own, such as "--mode="), for the benchmark library; the
// values of those taken out, the text after the prefix, go to `values` in
// their order.
std::vector<char*> TakeOption(int argc, char** argv, std::string_view prefix, std::vector<std::string>& values);

}  // namespace tavik::bench
