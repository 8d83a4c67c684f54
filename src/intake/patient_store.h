// Where the intake stores a patient, and how a store fails. The patient
// database gateway is the one implementation in the program.
#pragma once

#include <stdexcept>
#include <string>

#include "common/text.h"
#include "intake/patient_record.h"

namespace tavik {

// Where a database operation failed: at the connection (data source
// missing, driver or database not answering) or at a statement on a live
// connection.
enum class DatabaseStage { Connect, Statement };

class DatabaseError : public std::runtime_error {
 public:
  DatabaseError(DatabaseStage stage, std::string operation, std::string sqlstate, long native, Text message);
  DatabaseStage stage() const { return stage_; }
  const std::string& operation() const { return operation_; }
  const std::string& sqlstate() const { return sqlstate_; }  // e.g. "IM002"
  long native() const { return native_; }
  const Text& message() const { return message_; }  // the driver's own words
  // The database did not answer in time: the driver's time-out (SQLSTATE
  // HYT00, HYT01) or a statement the server cancelled for it (57014, as
  // PostgreSQL answers a lock wait that ran into the query time-out).
  bool TimedOut() const;

 private:
  DatabaseStage stage_;
  std::string operation_;
  std::string sqlstate_;
  long native_;
  Text message_;
};

// How a patient was stored.
enum class StoreAction { Updated, Inserted };

class PatientStore {
 public:
  virtual ~PatientStore() = default;
  // Stores the patient: its row is updated when its chart number is in
  // the table, a row is inserted otherwise. Throws DatabaseError when the
  // patient could not be stored; nothing is written then.
  virtual StoreAction StorePatient(const PatientRecord& record) = 0;
};

}  // namespace tavik
