#include "patientdb/statements.h"

#include <initializer_list>

namespace tavik {

Text QuoteSqlValue(TextView value) {
  Text out;
  for (const char16_t c : value) {
    out.push_back(c);
    if (c == u'\'') out.push_back(u'\'');
  }
  return out;
}

namespace {

Text Concat(std::initializer_list<TextView> pieces) {
  Text out;
  for (TextView piece : pieces) out.append(piece);
  return out;
}

}  // namespace

Text BuildLookupStatement(TextView chart_number) {
  return Concat({u"SELECT * FROM tavik WHERE KrNo='", QuoteSqlValue(chart_number), u"'"});
}

Text BuildUpdateStatement(const PatientRecord& r) {
  return Concat({u"UPDATE tavik ",
                 u"SET KrName='", QuoteSqlValue(r.PName),
                 u"',PKana='", QuoteSqlValue(r.PKana),
                 u"',PBDate='", QuoteSqlValue(r.PBDat),
                 u"',PSex='", QuoteSqlValue(r.PSex),
                 u"',PZip='", QuoteSqlValue(r.PZip),
                 u"',PAddr='", QuoteSqlValue(r.PAddr),
                 u"',PTel='", QuoteSqlValue(r.PTel),
                 u"',PFax='", QuoteSqlValue(r.PFax),
                 u"',PInf1='", QuoteSqlValue(r.PInf1),
                 u"' ",
                 u"WHERE KrNo='", QuoteSqlValue(r.PID),
                 u"'"});
}

Text BuildInsertStatement(const PatientRecord& r) {
  return Concat({u"INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) ",
                 u"VALUES ('",
                 QuoteSqlValue(r.PID), u"','",
                 QuoteSqlValue(r.PName), u"','",
                 QuoteSqlValue(r.PKana), u"','",
                 QuoteSqlValue(r.PBDat), u"','",
                 QuoteSqlValue(r.PSex), u"','",
                 QuoteSqlValue(r.PZip), u"','",
                 QuoteSqlValue(r.PAddr), u"','",
                 QuoteSqlValue(r.PTel), u"','",
                 QuoteSqlValue(r.PFax), u"','",
                 QuoteSqlValue(r.PInf1),
                 u"')"});
}

}  // namespace tavik
