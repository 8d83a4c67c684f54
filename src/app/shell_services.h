// The start-up's and the ticks' services on the real file system and the
// real intake cycle.
#pragma once

#include "app/main_form.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"

namespace tavik {

class IntakeShellServices final : public ShellServices {
 public:
  IntakeShellServices(Text program_folder, FileSystem& file_system, IntakeCycle& intake);

  Text ProgramFolder() override { return program_folder_; }
  bool Exists(const Text& path, ExistenceQuery query) override;
  void RotateBackups(const Text& exchange_folder) override;
  void ProcessExchangeFiles(const Text& exchange_folder) override;

 private:
  Text program_folder_;
  FileSystem& file_system_;
  IntakeCycle& intake_;
};

}  // namespace tavik
