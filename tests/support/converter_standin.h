#pragma once
// A stand-in converter that appends to a node file the way binZEV2 does (one
// descriptor kept open for the whole run, lines written hour by hour), with a
// pause in the middle that the test ends, and another process that starts it
// the way our programs start the converter.
//
//   zv::test::WritePausingConverter(dir, node_file, first_lines, more_lines);
//   zv::test::ConverterStarter starter(zv::test::ConverterStarter::Mode::kPoll, dir, "bins/x.bin");
//   ASSERT_TRUE(zv::test::WaitForFile(dir + "/paused"));
//   ... the rewrite under test; its wait creates dir + "/go" ...
//   ASSERT_TRUE(zv::test::WaitForFile(dir + "/finished"));

#include <atomic>
#include <string>
#include <thread>

namespace zv::test {

// What the stand-in does with the locked descriptor 3 it inherits before it
// opens the node file: keeps it, or loses it the way a wrapper script or a
// runner that closes every inherited descriptor does.
enum class InheritedLock {
  kKept,     // opens the node file on descriptor 4
  kReused,   // opens the node file on descriptor 3 ("exec 3>>node")
  kClosed,   // closes descriptor 3, then opens the node file on 4
};
// The ways of losing it, and a name for a test's trace.
inline constexpr InheritedLock kLostInheritedLocks[] = {InheritedLock::kReused, InheritedLock::kClosed};
inline const char* InheritedLockName(InheritedLock lock) {
  switch (lock) {
    case InheritedLock::kKept: return "descriptor 3 kept";
    case InheritedLock::kReused: return "descriptor 3 reused";
    case InheritedLock::kClosed: return "descriptor 3 closed";
  }
  return "";
}

// binZEV2 in `folder`: appends `first` to `node_file` through one descriptor,
// creates "paused" in the folder, waits for "go" there (up to a minute, and
// no longer than the folder is there),
// appends `second` through the same descriptor and creates "finished".
void WritePausingConverter(const std::string& folder, const std::string& node_file, const std::string& first,
                           const std::string& second, InheritedLock lock = InheritedLock::kKept);

// Waits up to a minute for the file to exist.
bool WaitForFile(const std::string& path);

// Creates the file "go" in `folder`: the paused converter goes on.
void LetConverterGoOn(const std::string& folder);

// A process of its own (tests/support/converter_start.cpp) that starts the
// converter of `folder` with the bins file `bins` as our programs do:
//   kPoll: as the poll worker (zv::RunConverter, waited for to its end);
//   kReaderStopped: as a reader whose user stops it while the converter
//     pauses (zv::HandOverReaderBins, the stop set once "paused" is there); it
//     then creates "starter-stopped" and lives on until it is ended.
class ConverterStarter {
 public:
  enum class Mode { kPoll, kReaderStopped };
  ConverterStarter(Mode mode, const std::string& folder, const std::string& bins);
  // Lets a paused converter go on (a test that failed early leaves none
  // waiting), ends the starter process (never the converter) and reaps it.
  ~ConverterStarter();
  ConverterStarter(const ConverterStarter&) = delete;
  ConverterStarter& operator=(const ConverterStarter&) = delete;

 private:
  std::string folder_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The ways a rewrite meets a converter that pauses: started by a poll or by
// a reader stopped meanwhile, and the file kept in place or renamed.
struct ConverterStartCase {
  ConverterStarter::Mode mode;
  bool rename;
  bool reader() const { return mode == ConverterStarter::Mode::kReaderStopped; }
  // The file the starter makes once the converter is in its pause.
  const char* ready_file() const { return reader() ? "starter-stopped" : "paused"; }
};
inline constexpr ConverterStartCase kConverterStartCases[] = {
    {ConverterStarter::Mode::kPoll, false},
    {ConverterStarter::Mode::kPoll, true},
    {ConverterStarter::Mode::kReaderStopped, false},
    {ConverterStarter::Mode::kReaderStopped, true},
};

}  // namespace zv::test
