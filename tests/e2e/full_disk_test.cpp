// A full disk for the settings: a profile write that cannot be written whole
// fails, leaves the profile byte for byte as it was and no temporary beside it;
// once there is room again the same write goes through with every old value.
// (The bins file, the node header rewrite and the viewer's save have their own
// full-disk cases beside their other tests.)

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/paths.h"
#include "platform/profile.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

using zv::test::FileSizeLimit;
using zv::test::TempDir;

std::set<std::string> ConfigFiles() {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(zv::ConfigDir())) names.insert(e.path().filename().string());
  return names;
}

TEST(FullDisk, AProfileWriteKeepsTheOldProfile) {
  const zv::Profile p(zv::kProgramZEVModem);
  std::string long_value(3000, 'x');
  ASSERT_TRUE(p.WriteString("Settings", "ModemInit", "AT&F"));
  ASSERT_TRUE(p.WriteString("Settings", "Notes", long_value));
  ASSERT_TRUE(p.WriteInt("Settings", "PortModem", 3));
  const std::string before = TempDir::Read(p.Path());
  const std::set<std::string> files = ConfigFiles();

  {
    // Room for half the file.
    const FileSizeLimit full_disk(before.size() / 2);
    ASSERT_TRUE(full_disk.ok());
    EXPECT_FALSE(p.WriteString("Settings", "GsmodemInit", "AT+CBST=71"));
    EXPECT_FALSE(p.WriteInt("Settings", "PortModem", 4));
  }
  EXPECT_EQ(TempDir::Read(p.Path()), before);
  EXPECT_EQ(ConfigFiles(), files);  // no temporary left
  EXPECT_EQ(p.GetInt("Settings", "PortModem", 0), 3);

  ASSERT_TRUE(p.WriteString("Settings", "GsmodemInit", "AT+CBST=71"));
  EXPECT_EQ(p.GetString("Settings", "ModemInit", ""), "AT&F");
  EXPECT_EQ(p.GetString("Settings", "Notes", ""), long_value);
  EXPECT_EQ(p.GetInt("Settings", "PortModem", 0), 3);
  EXPECT_EQ(p.GetString("Settings", "GsmodemInit", ""), "AT+CBST=71");
}

}  // namespace
