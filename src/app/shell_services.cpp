#include "app/shell_services.h"

#include <utility>

namespace tavik {

IntakeShellServices::IntakeShellServices(Text program_folder, FileSystem& file_system,
                                         IntakeCycle& intake)
    : program_folder_(std::move(program_folder)), file_system_(file_system), intake_(intake) {}

bool IntakeShellServices::Exists(const Text& path, ExistenceQuery query) {
  if (path.empty()) return false;
  switch (query) {
    case ExistenceQuery::Directory:
      // The directory query finds folders and files alike.
      return file_system_.FolderExists(path) || file_system_.FileExists(path);
    case ExistenceQuery::Normal:
      return file_system_.FileExists(path);
  }
  return false;
}

void IntakeShellServices::RotateBackups(const Text& exchange_folder) {
  intake_.RotateBackups(exchange_folder);
}

void IntakeShellServices::ProcessExchangeFiles(const Text& exchange_folder) {
  intake_.ProcessExchangeFiles(exchange_folder);
}

}  // namespace tavik
