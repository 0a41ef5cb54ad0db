#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/com_ports.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Profile, LivesInTheConfigFolderPerProgram) {
  std::string config = std::getenv("XDG_CONFIG_HOME");
  EXPECT_EQ(zv::Profile::PathFor("ZEVModem"), config + "/ZV/ZEVModem.ini");
  ::setenv("XDG_CONFIG_HOME", "", 1);
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(zv::ConfigDir(), "/home/someone/.config/ZV");
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

TEST(Profile, DefaultsThenWrittenValues) {
  zv::Profile p(zv::kProgramZEVModem);
  EXPECT_EQ(p.GetInt("Settings", "MaxTrys", 3), 3);
  EXPECT_EQ(p.GetString("Settings", "ModemInit", "AT"), "AT");
  ASSERT_TRUE(p.WriteInt("Settings", "MaxTrys", 5));
  ASSERT_TRUE(p.WriteString("Settings", "ModemInit", "AT&F,E0 V1"));
  EXPECT_EQ(p.GetInt("Settings", "MaxTrys", 3), 5);
  EXPECT_EQ(p.GetString("Settings", "ModemInit", ""), "AT&F,E0 V1");
  // another section of the same name elsewhere is not confused with it
  EXPECT_EQ(p.GetInt("Poperties", "MaxTrys", -1), -1);
}

TEST(Profile, NamesMatchWithoutCaseAndWriteReplacesSpelling) {
  zv::Profile p(zv::kProgramZEVView);
  ASSERT_TRUE(p.WriteInt("Poperties", "leftMargin", 1000));
  EXPECT_EQ(p.GetInt("poperties", "LEFTMARGIN", 0), 1000);
  ASSERT_TRUE(p.WriteInt("POPERTIES", "LeftMargin", 1500));
  std::string text = zv::test::TempDir::Read(p.Path());
  EXPECT_EQ(text, "[Poperties]\nLeftMargin=1500\n");
}

TEST(Profile, IntegersKeep32Bits) {
  zv::Profile p(zv::kProgramZEVView);
  const unsigned int t = 4000000000u;  // a time value past 2^31
  ASSERT_TRUE(p.WriteInt("Poperties", "DateEnd", static_cast<int>(t)));
  EXPECT_EQ(static_cast<unsigned int>(p.GetInt("Poperties", "DateEnd", 0)), t);
  ASSERT_TRUE(p.WriteString("Poperties", "DateBegin", "4000000000"));
  EXPECT_EQ(static_cast<unsigned int>(p.GetInt("Poperties", "DateBegin", 0)), t);
  ASSERT_TRUE(p.WriteString("Poperties", "Junk", "abc"));
  EXPECT_EQ(p.GetInt("Poperties", "Junk", 77), 77);
}

TEST(Profile, OneProgramReadsAnothersFile) {
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVView).WriteString("Settings", "Path", "/opt/zv/zevview"));
  zv::Profile view_from_modem("ZEVView");
  EXPECT_EQ(view_from_modem.GetString("Settings", "path", ""), "/opt/zv/zevview");
  EXPECT_EQ(zv::Profile(zv::kProgramZEVModem).GetString("Settings", "Path", "none"), "none");
}

TEST(Profile, HandEditedFileKeepsItsComments) {
  zv::Profile p(zv::kProgramZEVRS);
  ASSERT_TRUE(zv::EnsureDirectories(zv::ConfigDir()));
  {
    std::FILE* f = std::fopen(p.Path().c_str(), "wb");
    std::fputs("; my port\r\n[Properties]\r\nPort=COM2\r\n\r\n[Other]\r\nx=1\r\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(p.GetString("Properties", "Port", ""), "COM2");
  ASSERT_TRUE(p.WriteInt("Properties", "Baud", 38400));
  EXPECT_EQ(zv::test::TempDir::Read(p.Path()),
            "; my port\n[Properties]\nPort=COM2\nBaud=38400\n\n[Other]\nx=1\n");
  EXPECT_EQ(p.GetInt("Other", "x", 0), 1);
}

// A settings file that is there but cannot be read must not be replaced by one
// that holds only the new value: the write fails and the file stays as it was.
TEST(Profile, AWriteFailsWhenTheFileCannotBeRead) {
  zv::Profile p(zv::kProgramZEVModem);
  ASSERT_TRUE(zv::EnsureDirectories(zv::ConfigDir()));
  const std::string text = "[Settings]\nMaxTrys=5\nPortModem=3\n";

  // Reading fails with EIO: the profile is a link to a file that cannot be read.
  ASSERT_EQ(::symlink("/proc/self/mem", p.Path().c_str()), 0);
  EXPECT_FALSE(p.WriteInt("Settings", "PortGsmodem", 2));
  char target[PATH_MAX] = {};
  ASSERT_GT(::readlink(p.Path().c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "/proc/self/mem");
  ASSERT_EQ(::unlink(p.Path().c_str()), 0);

  // Reading fails with EACCES (a superuser may read it all the same).
  ASSERT_TRUE(zv::WriteFileAtomically(p.Path(), text));
  ASSERT_EQ(::chmod(p.Path().c_str(), 0), 0);
  if (::geteuid() != 0) {
    EXPECT_FALSE(p.WriteInt("Settings", "PortGsmodem", 2));
    ::chmod(p.Path().c_str(), 0600);
    EXPECT_EQ(zv::test::TempDir::Read(p.Path()), text);
  }
  ::chmod(p.Path().c_str(), 0600);

  // A missing file is an empty one.
  ASSERT_EQ(::unlink(p.Path().c_str()), 0);
  EXPECT_TRUE(p.WriteInt("Settings", "PortGsmodem", 2));
  EXPECT_EQ(zv::test::TempDir::Read(p.Path()), "[Settings]\nPortGsmodem=2\n");
}

// A profile without its owner's write permission is not replaced through the
// temporary file and the rename (not even by the superuser): the write fails
// with the reason, the file and its mode stay. A failed write always says why.
TEST(Profile, AReadOnlyFileIsNotReplacedAndFailuresSayWhy) {
  const zv::Profile p(zv::kProgramZEVModem);
  ASSERT_TRUE(p.WriteInt("Settings", "MaxTrys", 5));
  const std::string text = zv::test::TempDir::Read(p.Path());
  ASSERT_EQ(::chmod(p.Path().c_str(), 0444), 0);
  std::string error;
  EXPECT_FALSE(p.WriteInt("Settings", "PortModem", 3, &error));
  EXPECT_EQ(error, std::strerror(EACCES));
  EXPECT_FALSE(p.WriteString("Settings", "ModemInit", "AT", &error));
  EXPECT_FALSE(p.Update([](zv::IniFile& ini) { ini.Set("Settings", "PortModem", "3"); }, &error));
  EXPECT_EQ(zv::test::TempDir::Read(p.Path()), text);
  struct stat st {};
  ASSERT_EQ(::stat(p.Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);

  ASSERT_EQ(::chmod(p.Path().c_str(), 0644), 0);
  EXPECT_TRUE(p.WriteInt("Settings", "PortModem", 3, &error));
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(p.GetInt("Settings", "PortModem", 0), 3);

  // A folder where the file should be.
  ASSERT_EQ(::unlink(p.Path().c_str()), 0);
  ASSERT_EQ(::mkdir(p.Path().c_str(), 0755), 0);
  EXPECT_FALSE(p.WriteInt("Settings", "PortModem", 4, &error));
  EXPECT_EQ(error, std::strerror(EISDIR));
  ASSERT_EQ(::rmdir(p.Path().c_str()), 0);
}

// Two programs writing settings of one profile at the same time keep every
// value of both.
TEST(Profile, WritersInTwoProcessesKeepEachOthersValues) {
  constexpr int kValues = 60;
  ASSERT_TRUE(zv::EnsureDirectories(zv::ConfigDir()));
  std::vector<pid_t> writers;
  for (const char* prefix : {"A", "B"}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const zv::Profile p(zv::kProgramZEVView);
      bool ok = true;
      for (int i = 0; i < kValues; ++i) ok = p.WriteInt("Settings", prefix + std::to_string(i), i) && ok;
      ::_exit(ok ? 0 : 1);
    }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const zv::Profile p(zv::kProgramZEVView);
  int missing = 0;
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kValues; ++i) missing += p.GetInt("Settings", prefix + std::to_string(i), -1) != i;
  }
  EXPECT_EQ(missing, 0);
}

// A value is one line: line breaks in it never make lines (or sections) of
// their own.
TEST(IniFile, LineBreaksInAValueStayInItsLine) {
  zv::IniFile ini;
  ini.Set("Settings", "Init", "AT\r\n[Other]\nx=1\rATZ");
  ini.Set("Settings", "Port", "3");
  EXPECT_EQ(ini.Text(), "[Settings]\nInit=AT  [Other] x=1 ATZ\nPort=3\n");
  zv::IniFile again;
  again.Parse(ini.Text());
  EXPECT_EQ(again.Get("Settings", "Init"), "AT  [Other] x=1 ATZ");
  EXPECT_EQ(again.Get("Settings", "Port"), "3");
  EXPECT_EQ(again.Get("Other", "x"), std::nullopt);
}

TEST(ComPorts, ResolvedThroughThePortMap) {
  EXPECT_EQ(zv::ComPortDevice(1), "/dev/ttyS0");
  EXPECT_EQ(zv::ComPortDevice(4), "/dev/ttyS3");
  EXPECT_EQ(zv::ComPortDevice(0), "");
  ASSERT_TRUE(zv::EnsureDirectories(zv::ConfigDir()));
  ASSERT_TRUE(zv::WriteFileAtomically(zv::PortsFilePath(), "[Ports]\nCOM3=/dev/ttyUSB0\ncom5 = /dev/pts/7 \n"));
  EXPECT_EQ(zv::ComPortDevice(3), "/dev/ttyUSB0");
  EXPECT_EQ(zv::ComPortDevice(5), "/dev/pts/7");
  EXPECT_EQ(zv::ComPortDevice(4), "/dev/ttyS3");
  EXPECT_EQ(zv::ResolvePortName("com3"), "/dev/ttyUSB0");
  EXPECT_EQ(zv::ResolvePortName("COM12"), "/dev/ttyS11");
  EXPECT_EQ(zv::ResolvePortName("/dev/ttyACM0"), "/dev/ttyACM0");
  EXPECT_EQ(zv::ResolvePortName("LPT1"), "");
  EXPECT_EQ(zv::ResolvePortName("COM"), "");
}

}  // namespace
