// The patient table `tavik` through the ODBC data source "FileMaker5".
//
// Each operation opens a connection of its own (empty user name and
// password, the data source named, not described) and closes it when done.
// Closed connections may be kept by the driver manager's pool.
#pragma once

#include <memory>
#include <optional>

#include "common/text.h"
#include "intake/patient_record.h"
#include "intake/patient_store.h"
#include "patientdb/odbc.h"

namespace tavik {

inline constexpr TextView kDataSource = u"FileMaker5";  // docs/contracts.md

// What a lookup by chart number found.
struct PatientLookup {
  bool found = false;               // a row with the chart number exists
  std::optional<Text> stored_name;  // its KrName (first row); nullopt when NULL
};

class PatientGateway final : public PatientStore {
 public:
  struct Options {
    Text data_source{kDataSource};
    bool pooling = true;
    odbc::DriverFaults* faults = nullptr;  // tests only
  };

  PatientGateway();
  explicit PatientGateway(Options options);
  ~PatientGateway() override;

  // Runs the SELECT through a static read-only cursor, or the driver's
  // forward-only one when it refuses that. A row exists
  // whatever its KrName holds (text, empty or NULL). Throws DatabaseError
  // when the lookup itself fails: that is never taken for "no row".
  PatientLookup LookupPatient(TextView chart_number);

  // Run the UPDATE or the INSERT for the record; throw DatabaseError.
  void UpdatePatient(const PatientRecord& record);
  void InsertPatient(const PatientRecord& record);

  // The intake's storing step: lookup, then update when a row exists,
  // insert when none does. A failed lookup throws before anything is
  // written, so a failure never turns into a second row.
  StoreAction StorePatient(const PatientRecord& record) override;

 private:
  void Execute(TextView statement);
  odbc::Environment& environment();

  Options options_;
  std::unique_ptr<odbc::Environment> environment_;
};

}  // namespace tavik
