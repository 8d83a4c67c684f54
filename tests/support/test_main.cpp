#include <gtest/gtest.h>

#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
// unixODBC 2.3.11 opens iconv converters on every connection to an ANSI
// driver and never closes them: a leak of the test platform's driver
// manager, not of the program (on Windows odbc32 serves the program).
// libodbc has no frame pointers, hence the full unwind on malloc.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libodbc.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  tavik::test::PrepareTestOdbc();
  return RUN_ALL_TESTS();
}
