#include "tests/support/test_env.h"

#include <cstdlib>
#include <sys/stat.h>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zv::test {

void XdgDirs::Create() {
  Remove();
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/zvxdg.XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) return;
  root_ = buf.data();
  std::string config = root_ + "/config";
  std::string runtime = root_ + "/runtime";
  ::mkdir(config.c_str(), 0700);
  ::mkdir(runtime.c_str(), 0700);
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

void XdgDirs::Remove() {
  if (!root_.empty()) RemoveTree(root_);
  root_.clear();
}

void InstallTestEnvironment() {
  testing::UnitTest::GetInstance()->listeners().Append(new PrivateXdgDirs);
}

}  // namespace zv::test
