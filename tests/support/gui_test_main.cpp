// Test main for widget tests: one QApplication for the whole run, on the offscreen
// platform unless the caller chose another.

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "tests/support/sanitizer_options.h"
#include "tests/support/test_env.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Qt looks at the runtime folder when the application starts; each test then
  // gets folders of its own through the listener.
  zv::test::XdgDirs startup;
  startup.Create();
  QApplication app(argc, argv);
  zv::test::InstallTestEnvironment();
  return RUN_ALL_TESTS();
}
