#include <gtest/gtest.h>

#include "tests/support/sanitizer_options.h"
#include "tests/support/test_env.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  zv::test::InstallTestEnvironment();
  return RUN_ALL_TESTS();
}
