#pragma once
// Every test gets its own empty XDG_CONFIG_HOME and XDG_RUNTIME_DIR, so profiles,
// port maps and runtime files of one test never leak into another (nor into the
// user's own settings).

#include <gtest/gtest.h>
#include <string>

namespace zv::test {

// Makes a fresh pair of folders and points the variables at them.
class XdgDirs {
 public:
  void Create();
  void Remove();
  ~XdgDirs() { Remove(); }

 private:
  std::string root_;
};

class PrivateXdgDirs : public testing::EmptyTestEventListener {
 public:
  void OnTestStart(const testing::TestInfo&) override { dirs_.Create(); }
  void OnTestEnd(const testing::TestInfo&) override { dirs_.Remove(); }

 private:
  XdgDirs dirs_;
};

// Installs the listener; called by both test mains.
void InstallTestEnvironment();

}  // namespace zv::test
