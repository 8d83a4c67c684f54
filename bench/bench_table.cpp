#include "bench_table.h"

#include "patientdb/statements.h"
#include "support/test_support.h"

namespace tavik::bench {

void Exec(odbc::Connection& connection, TextView sql) {
  odbc::Statement statement(connection);
  statement.ExecDirect(sql);
}

void CreatePatientTable(odbc::Connection& connection, bool compact) {
  // Over this connection: one that had read the table before another one
  // made it anew would still see the old index and refuse to create it.
  test::ResetPatientTable(connection);
  if (compact) Exec(connection, u"VACUUM");
  Exec(connection, u"CREATE INDEX tavik_krno ON tavik(KrNo)");
}

void InsertRows(odbc::Connection& connection, const std::vector<PatientRecord>& rows, std::size_t rows_per_statement) {
  for (std::size_t start = 0; start < rows.size(); start += rows_per_statement) {
    Text sql = u"INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) VALUES ";
    for (std::size_t i = start; i < rows.size() && i < start + rows_per_statement; ++i) {
      const PatientRecord& r = rows[i];
      sql += i == start ? u"(" : u",(";
      for (const Text* value :
           {&r.PID, &r.PName, &r.PKana, &r.PBDat, &r.PSex, &r.PZip, &r.PAddr, &r.PTel, &r.PFax, &r.PInf1}) {
        if (value != &r.PID) sql += u",";
        sql += u"'" + QuoteSqlValue(*value) + u"'";
      }
      sql += u")";
    }
    Exec(connection, sql);
  }
}

std::vector<char*> TakeOption(int argc, char** argv, std::string_view prefix, std::vector<std::string>& values) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, prefix.size()) == prefix) {
      values.emplace_back(arg.substr(prefix.size()));
    } else {
      rest.push_back(argv[i]);
    }
  }
  return rest;
}

}  // namespace tavik::bench
