// The patient table as the store and intake benchmarks arrange it.
#pragma once

#include <cstddef>
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

}  // namespace tavik::bench
