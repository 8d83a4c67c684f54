// The intake cycle and the backup rotation of the exchange folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/text.h"
#include "intake/file_system.h"
#include "intake/patient_record.h"

namespace tavik {

class PatientStore;

// What one tick did, for tests and benchmarks.
struct IntakeReport {
  std::size_t stored = 0;        // files stored and renamed to their backup name
  std::size_t renamed_only = 0;  // files without "REGIST", renamed
  std::size_t left = 0;          // files left under their own name for a later tick
};

// A patient file is a few hundred bytes; a larger one than this is not
// read into memory and stays as it is (docs/contracts.md).
inline constexpr std::uint64_t kMaxPatientFileBytes = std::uint64_t{1024} * 1024;

class IntakeCycle {
 public:
  IntakeCycle(FileSystem& file_system, PatientStore& store);

  // One tick over `exchange_folder`: every patient file listed at the
  // start of the tick ("*.fmr", then "*.req") is read, stored when it asks
  // for it, and renamed to its backup name once it is done with. A file
  // that cannot be handled now (being written, too large, unreadable, its
  // patient not accepted by the database, whatever it raises) keeps its
  // name for a later tick, and the tick goes on with the next file. An
  // empty folder text names no folder: the tick does nothing.
  IntakeReport ProcessExchangeFiles(const Text& exchange_folder);

  // Once per start: delete "*.bk2", then rename every "*.bak" to "*.bk2".
  // An empty folder text names no folder: nothing happens.
  void RotateBackups(const Text& exchange_folder);

 private:
  enum class FileOutcome { Stored, RenamedOnly, Waits };
  FileOutcome HandleFile(const Text& path, bool& database_unreachable);

  FileSystem& file_system_;
  PatientStore& store_;
};

// The path less its last three characters, followed by `extension`.
Text BackupName(const Text& path, TextView extension);

}  // namespace tavik
