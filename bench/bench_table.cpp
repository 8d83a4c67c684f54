#include "bench_table.h"

#include "patientdb/statements.h"

namespace tavik::bench {

void Exec(odbc::Connection& connection, TextView sql) {
  odbc::Statement statement(connection);
  statement.ExecDirect(sql);
}

void CreatePatientTable(odbc::Connection& connection, bool compact) {
  try {
    Exec(connection, u"DROP TABLE tavik");
  } catch (const DatabaseError&) {
    // not there yet
  }
  if (compact) Exec(connection, u"VACUUM");
  Exec(connection,
       u"CREATE TABLE tavik (KrNo VARCHAR(4000), KrName VARCHAR(4000), PKana VARCHAR(4000), "
       u"PBDate VARCHAR(4000), PSex VARCHAR(4000), PZip VARCHAR(4000), PAddr VARCHAR(4000), "
       u"PTel VARCHAR(4000), PFax VARCHAR(4000), PInf1 VARCHAR(4000), Memo VARCHAR(4000))");
  Exec(connection, u"CREATE INDEX tavik_krno ON tavik(KrNo)");
}

void InsertRows(odbc::Connection& connection, const std::vector<PatientRecord>& rows,
                std::size_t rows_per_statement) {
  for (std::size_t start = 0; start < rows.size(); start += rows_per_statement) {
    Text sql = u"INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) VALUES ";
    for (std::size_t i = start; i < rows.size() && i < start + rows_per_statement; ++i) {
      const PatientRecord& r = rows[i];
      sql += i == start ? u"(" : u",(";
      for (const Text* value : {&r.PID, &r.PName, &r.PKana, &r.PBDat, &r.PSex, &r.PZip, &r.PAddr,
                                &r.PTel, &r.PFax, &r.PInf1}) {
        if (value != &r.PID) sql += u",";
        sql += u"'" + QuoteSqlValue(*value) + u"'";
      }
      sql += u")";
    }
    Exec(connection, sql);
  }
}

}  // namespace tavik::bench
