// The start-up's existence queries on the file system: the directory
// query finds folders and files, the normal query files only.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/shell_services.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "patientdb/patient_gateway.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

class FakeFileSystem final : public FileSystem {
 public:
  std::vector<Text> List(const Text&, const Text&) override { return {}; }
  ReadStatus ReadAll(const Text&, std::string&) override { return ReadStatus::Missing; }
  bool Delete(const Text&) override { return false; }
  bool Rename(const Text&, const Text&) override { return false; }
  bool FolderExists(const Text& path) override { return folders.count(Utf8(path)) != 0; }
  bool FileExists(const Text& path) override { return files.count(Utf8(path)) != 0; }

  std::set<std::string> folders{"D:\\Viewer\\Filemk"};
  std::set<std::string> files{"C:\\Apps\\tavik.fp5"};
};

struct ExistsCase {
  const char* path;
  ExistenceQuery query;
  bool exists;
};

class ExistenceQueryTest : public ::testing::TestWithParam<ExistsCase> {};

TEST_P(ExistenceQueryTest, AnswersAsThePlatformsDirectoryQuery) {
  FakeFileSystem file_system;
  PatientGateway gateway;
  IntakeCycle intake(file_system, gateway);
  IntakeShellServices services(U("C:\\Apps"), file_system, intake);
  const ExistsCase& c = GetParam();
  EXPECT_EQ(services.Exists(U(c.path), c.query), c.exists)
      << c.path << (c.query == ExistenceQuery::Directory ? " (directory)" : " (normal)");
}

INSTANTIATE_TEST_SUITE_P(
    Startup, ExistenceQueryTest,
    ::testing::Values(ExistsCase{"D:\\Viewer\\Filemk", ExistenceQuery::Directory, true},
                      ExistsCase{"C:\\Apps\\tavik.fp5", ExistenceQuery::Directory, true},
                      ExistsCase{"D:\\Nowhere\\Filemk", ExistenceQuery::Directory, false},
                      ExistsCase{"", ExistenceQuery::Directory, false},
                      ExistsCase{"C:\\Apps\\tavik.fp5", ExistenceQuery::Normal, true},
                      ExistsCase{"D:\\Viewer\\Filemk", ExistenceQuery::Normal, false},
                      ExistsCase{"C:\\Apps\\none.fp5", ExistenceQuery::Normal, false}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST(ShellServicesTest, ProgramFolderIsTheOneGiven) {
  FakeFileSystem file_system;
  PatientGateway gateway;
  IntakeCycle intake(file_system, gateway);
  IntakeShellServices services(U("C:\\Apps"), file_system, intake);
  EXPECT_EQ(Utf8(services.ProgramFolder()), "C:\\Apps");
}

}  // namespace
}  // namespace tavik
