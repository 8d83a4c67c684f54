#include "intake/intake_cycle.h"

#include "intake/exchange_file.h"
#include "patientdb/patient_store.h"

namespace tavik {

namespace {
constexpr TextView kPatientPatterns[] = {u"*.fmr", u"*.req"};
constexpr TextView kBackupExtension = u"bak";
constexpr TextView kSecondBackupExtension = u"bk2";

Text Join(const Text& folder, const Text& name) { return folder + u"\\" + name; }
}  // namespace

Text BackupName(const Text& path, TextView extension) {
  Text backup = path.substr(0, path.size() >= 3 ? path.size() - 3 : 0);
  backup.append(extension);
  return backup;
}

IntakeCycle::IntakeCycle(FileSystem& file_system, PatientStore& store)
    : file_system_(file_system), store_(store) {}

IntakeReport IntakeCycle::ProcessExchangeFiles(const Text& exchange_folder) {
  const Text folder = exchange_folder;  // a change during the tick counts from the next one
  // One snapshot per tick: each listed file is handled at most once, and
  // files that arrive meanwhile wait for the next tick.
  std::vector<Text> names;
  for (TextView pattern : kPatientPatterns) {
    std::vector<Text> listed = file_system_.List(folder, Text(pattern));
    names.insert(names.end(), listed.begin(), listed.end());
  }

  IntakeReport report;
  bool database_unreachable = false;
  std::string bytes;
  for (const Text& name : names) {
    const Text path = Join(folder, name);
    // Gone since the listing, still being written, or unreadable: the
    // file keeps its name and a later tick takes it.
    if (file_system_.ReadAll(path, bytes) != ReadStatus::Ok) {
      ++report.left;
      continue;
    }
    ExchangeFile file = ParseExchangeBytes(bytes);
    last_record_ = file.record;
    const Text backup = BackupName(path, kBackupExtension);

    if (!file.AsksForStoring()) {
      // An existing backup of that name is left alone: the file then waits
      // for the next start's rotation to free the name.
      if (file_system_.Rename(path, backup)) {
        ++report.renamed_only;
      } else {
        ++report.left;
      }
      continue;
    }

    // The patient is stored first; only a stored file becomes a backup.
    // A failure leaves the file under its own name for a later tick.
    if (database_unreachable) {
      ++report.left;
      continue;
    }
    try {
      store_.StorePatient(file.record);
    } catch (const DatabaseError& error) {
      if (error.stage() == DatabaseStage::Connect) database_unreachable = true;
      ++report.left;
      continue;
    }
    if (file_system_.FileExists(backup)) file_system_.Delete(backup);
    // A stored file that cannot be renamed is read and stored again on a
    // later tick, as an update of the row it now has.
    if (file_system_.Rename(path, backup)) {
      ++report.stored;
    } else {
      ++report.left;
    }
  }
  return report;
}

void IntakeCycle::RotateBackups(const Text& exchange_folder) {
  const Text folder = exchange_folder;
  for (const Text& name : file_system_.List(folder, u"*.bk2")) {
    file_system_.Delete(Join(folder, name));
  }
  // One listing: a ".bak" that cannot be renamed stays for the next start
  // and is not taken again, so the rotation always ends.
  for (const Text& name : file_system_.List(folder, u"*.bak")) {
    const Text path = Join(folder, name);
    const Text second = BackupName(path, kSecondBackupExtension);
    if (file_system_.FileExists(second)) file_system_.Delete(second);
    file_system_.Rename(path, second);
  }
}

}  // namespace tavik
