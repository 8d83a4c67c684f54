#include "patientdb/patient_gateway.h"

#include <utility>

#include "patientdb/statements.h"

namespace tavik {

namespace {
constexpr TextView kNoUser = u"";
constexpr TextView kNoPassword = u"";
constexpr TextView kNameColumn = u"KrName";
}  // namespace

PatientGateway::PatientGateway() : PatientGateway(Options{}) {}

PatientGateway::PatientGateway(Options options) : options_(std::move(options)) {}

PatientGateway::~PatientGateway() = default;

odbc::Environment& PatientGateway::environment() {
  // Kept for the gateway's life so that a pool outlives each connection.
  if (!environment_) environment_ = std::make_unique<odbc::Environment>(options_.pooling, options_.faults);
  return *environment_;
}

PatientLookup PatientGateway::LookupPatient(TextView chart_number) {
  const Text chart(chart_number);
  odbc::Connection connection(environment(), options_.data_source, kNoUser, kNoPassword);
  odbc::Statement statement(connection);
  // A driver that refuses the static cursor leaves its forward-only one,
  // which serves as well: only the first row is read.
  statement.RequestStaticReadOnlyCursor();  // docs/contracts.md
  statement.ExecDirect(BuildLookupStatement(chart));
  PatientLookup result;
  if (!statement.Fetch()) return result;
  const unsigned short column = statement.FindColumn(kNameColumn);
  if (column == 0) {
    throw DatabaseError(DatabaseStage::Statement, "LookupPatient", "42S22", 0, u"the result has no column KrName");
  }
  result.found = true;
  result.stored_name = statement.GetText(column);
  return result;
}

void PatientGateway::Execute(TextView text) {
  odbc::Connection connection(environment(), options_.data_source, kNoUser, kNoPassword);
  odbc::Statement statement(connection);
  statement.ExecDirect(text);
}

void PatientGateway::UpdatePatient(const PatientRecord& record) { Execute(BuildUpdateStatement(record)); }

void PatientGateway::InsertPatient(const PatientRecord& record) { Execute(BuildInsertStatement(record)); }

StoreAction PatientGateway::StorePatient(const PatientRecord& record) {
  if (LookupPatient(record.PID).found) {
    UpdatePatient(record);
    return StoreAction::Updated;
  }
  InsertPatient(record);
  return StoreAction::Inserted;
}

}  // namespace tavik
