#include "patientdb/statements.h"

namespace tavik {

namespace {

// The columns the program writes, each with the field it takes, in the
// order the statements give them; the chart number (KrNo, from PID) is
// the key.
struct Column {
  TextView name;
  Text PatientRecord::*field;
};
constexpr Column kWrittenColumns[] = {
    {u"KrName", &PatientRecord::PName}, {u"PKana", &PatientRecord::PKana}, {u"PBDate", &PatientRecord::PBDat},
    {u"PSex", &PatientRecord::PSex},    {u"PZip", &PatientRecord::PZip},   {u"PAddr", &PatientRecord::PAddr},
    {u"PTel", &PatientRecord::PTel},    {u"PFax", &PatientRecord::PFax},   {u"PInf1", &PatientRecord::PInf1},
};

// 'value', the value quoted as a character literal.
void AppendLiteral(Text& out, TextView value) {
  out += u'\'';
  out += QuoteSqlValue(value);
  out += u'\'';
}

}  // namespace

Text QuoteSqlValue(TextView value) {
  Text out;
  for (const char16_t c : value) {
    out.push_back(c);
    if (c == u'\'') out.push_back(u'\'');
  }
  return out;
}

Text BuildLookupStatement(TextView chart_number) {
  Text statement = u"SELECT * FROM tavik WHERE KrNo=";
  AppendLiteral(statement, chart_number);
  return statement;
}

// UPDATE tavik SET KrName='...',PKana='...',...,PInf1='...' WHERE KrNo='...'
Text BuildUpdateStatement(const PatientRecord& record) {
  Text statement = u"UPDATE tavik SET ";
  for (const Column& column : kWrittenColumns) {
    if (&column != &kWrittenColumns[0]) statement += u',';
    statement += column.name;
    statement += u'=';
    AppendLiteral(statement, record.*column.field);
  }
  statement += u" WHERE KrNo=";
  AppendLiteral(statement, record.PID);
  return statement;
}

// INSERT INTO tavik(KrNo,KrName,...,PInf1) VALUES ('...','...',...,'...')
Text BuildInsertStatement(const PatientRecord& record) {
  Text statement = u"INSERT INTO tavik(KrNo";
  for (const Column& column : kWrittenColumns) {
    statement += u',';
    statement += column.name;
  }
  statement += u") VALUES (";
  AppendLiteral(statement, record.PID);
  for (const Column& column : kWrittenColumns) {
    statement += u',';
    AppendLiteral(statement, record.*column.field);
  }
  statement += u')';
  return statement;
}

}  // namespace tavik
