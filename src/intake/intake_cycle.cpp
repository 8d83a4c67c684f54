#include "intake/intake_cycle.h"

#include <algorithm>

#include "common/paths.h"
#include "intake/exchange_file.h"
#include "intake/patient_store.h"

namespace tavik {

namespace {
// The viewer's names, kept as they are (docs/contracts.md).
constexpr TextView kPatientPatterns[] = {u"*.fmr", u"*.req"};
constexpr TextView kBackupExtension = u"bak";
constexpr TextView kSecondBackupExtension = u"bk2";
}  // namespace

Text BackupName(const Text& path, TextView extension) {
  Text backup = path.substr(0, path.size() - std::min<std::size_t>(path.size(), 3));
  backup.append(extension);
  return backup;
}

IntakeCycle::IntakeCycle(FileSystem& file_system, PatientStore& store) : file_system_(file_system), store_(store) {}

IntakeReport IntakeCycle::ProcessExchangeFiles(const Text& exchange_folder) {
  IntakeReport report;
  // Without a folder the listings would run in the current drive's root.
  if (exchange_folder.empty()) return report;
  // A copy: a change of the exchange folder during the tick counts from the
  // next tick on. (A tick that runs while the options dialog is open runs
  // inside the dialog's message loop, so the folder can change mid-tick
  // only if a driver pumps messages during a call.)
  const Text folder = exchange_folder;  // NOLINT(performance-unnecessary-copy-initialization)
  // One snapshot per tick (docs/contracts.md): each listed file is handled at most once, and
  // files that arrive meanwhile wait for the next tick.
  std::vector<Text> names;
  for (TextView pattern : kPatientPatterns) {
    std::vector<Text> listed = file_system_.List(folder, Text(pattern));
    names.insert(names.end(), listed.begin(), listed.end());
  }

  bool database_unreachable = false;
  for (const Text& name : names) {
    const Text path = JoinPath(folder, name);
    try {
      switch (HandleFile(path, database_unreachable)) {
        case FileOutcome::Stored: ++report.stored; break;
        case FileOutcome::RenamedOnly: ++report.renamed_only; break;
        case FileOutcome::Waits: ++report.left; break;
      }
    } catch (...) {
      // Out of memory, a fault of the platform, anything else one file
      // raises: that file keeps its name, the others are not held up.
      ++report.left;
    }
  }
  return report;
}

IntakeCycle::FileOutcome IntakeCycle::HandleFile(const Text& path, bool& database_unreachable) {
  std::string bytes;
  // Gone since the listing, still being written, too large or unreadable:
  // the file keeps its name and a later tick takes it.
  if (file_system_.ReadAll(path, kMaxPatientFileBytes, bytes) != ReadStatus::Ok) return FileOutcome::Waits;
  const ExchangeFile file = ParseExchangeBytes(bytes);
  const Text backup = BackupName(path, kBackupExtension);

  if (!file.AsksForStoring()) {
    // An existing backup of that name is left alone: the file then waits
    // for the next start's rotation to free the name.
    return file_system_.Rename(path, backup) ? FileOutcome::RenamedOnly : FileOutcome::Waits;
  }

  // The patient is stored first; only a stored file becomes a backup (docs/contracts.md).
  // After a connection failure or a time-out the tick leaves the remaining
  // patients for a later tick instead of trying (and waiting for) the
  // database for each: a database that does not answer costs one time-out
  // a tick, not one a file.
  if (database_unreachable) return FileOutcome::Waits;
  try {
    store_.StorePatient(file.record);
  } catch (const DatabaseError& error) {
    if (error.stage() == DatabaseStage::Connect || error.TimedOut()) database_unreachable = true;
    return FileOutcome::Waits;
  }
  if (file_system_.FileExists(backup)) file_system_.Delete(backup);
  // The viewer may have written the file again while it was stored (docs/contracts.md): only
  // the bytes that were stored go to the backup; new ones wait for the
  // next tick, which reads and stores them.
  std::string again;
  if (file_system_.ReadAll(path, kMaxPatientFileBytes, again) != ReadStatus::Ok || again != bytes) {
    return FileOutcome::Waits;
  }
  // A stored file that cannot be renamed is read and stored again on a
  // later tick, as an update of the row it now has.
  return file_system_.Rename(path, backup) ? FileOutcome::Stored : FileOutcome::Waits;
}

void IntakeCycle::RotateBackups(const Text& exchange_folder) {
  if (exchange_folder.empty()) return;
  // A copy, as a tick takes it: the rotation works in one folder to its end.
  const Text folder = exchange_folder;  // NOLINT(performance-unnecessary-copy-initialization)
  for (const Text& name : file_system_.List(folder, u"*.bk2")) {
    file_system_.Delete(JoinPath(folder, name));
  }
  // One listing: a ".bak" whose ".bk2" name is still taken (that ".bk2"
  // could not be deleted above) or that cannot be renamed stays for the
  // next start and is not taken again, so the rotation always ends.
  for (const Text& name : file_system_.List(folder, u"*.bak")) {
    const Text path = JoinPath(folder, name);
    file_system_.Rename(path, BackupName(path, kSecondBackupExtension));
  }
}

}  // namespace tavik
