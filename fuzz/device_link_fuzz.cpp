// The direct reader's link (ZEVRS's CDeviceLink) over any device answers, fed
// through its I/O hooks (fuzz/reader_harness.h), and what the dialog makes of
// them: FillReadJob and the 40 value texts.
//
// Byte 0 of the input: bits 0-1 the speed agreed (2400, 4800, 9600, 19200),
// bit 2 the current-values job (else the hourly job); the rest is the device's
// stream. The job's steps run in the worker's order; each goes on even when the
// one before failed, so that every answer parser sees the input.
//
// Checked: model and version as the parameter answer gives them; nothing
// written into the image outside the parameter and archive areas; the bins
// file's image part within the image; the device time 0 or a date of the
// device's century; every text plain printable ASCII of bounded length.

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "fuzz/reader_harness.h"
#include "readers/common/reader_flags.h"
#include "readers/rs/read_job.h"

namespace {

[[noreturn]] void Fail(const char* what, long long a, long long b = 0) {
  std::fprintf(stderr, "%s (%lld, %lld)\n", what, a, b);
  std::abort();
}

void CheckImage(const CDeviceLink& link) {
  const std::uint8_t* img = link.image();
  for (int i = CDeviceLink::kParameterLength; i < CDeviceLink::kArchiveStart; ++i) {
    if (img[i] != 0) Fail("image byte between the parameters and the archive written", i, img[i]);
  }
  const int end = zv::DirectArchiveEnd(link.model(), link.version());
  if (end > CDeviceLink::kImageSize) Fail("archive end past the image", end);
  for (int i = end; i < CDeviceLink::kImageSize; ++i) {
    if (img[i] != 0) Fail("image byte past the archive written", i, img[i]);
  }
  if (zv::DirectBinsImageSize(link.model(), link.version()) > CDeviceLink::kImageSize) {
    Fail("bins image part larger than the image", link.model(), link.version());
  }
}

void CheckTexts(const zv::ReadJob& job) {
  const std::array<std::string, zv::kValueFieldCount> texts = zv::ReadJobTexts(job);
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string& t = texts[i];
    if (t.empty() || t.size() > 64) Fail("value text empty or too long", static_cast<long long>(i), t.size());
    for (char c : t) {
      if (c < 0x20 || c > 0x7E) Fail("value text not printable ASCII", static_cast<long long>(i), c);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static constexpr int kBauds[4] = {2400, 4800, 9600, 19200};
  g_bStop = false;
  zv::fuzz::Input input(data, size);
  const std::uint8_t mode = input.Byte();
  zv::fuzz::ReaderStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedDeviceLink link(stream, clock);

  link.InitLink(kBauds[mode & 3]);
  const bool current_job = (mode & 4) != 0;
  if (current_job) link.SendPreamble();
  if (link.ReadParameters()) {
    const std::uint8_t* img = link.image();
    if (link.model() != zv::DirectModel(img[0], img[1]) || link.version() != img[1]) {
      Fail("model or version not the parameter answer's", link.model(), link.version());
    }
  }
  if (current_job) {
    if (link.version() != 4) link.ReadCurrentData();
  } else {
    link.ReadArchive();
  }
  CheckImage(link);

  zv::ReadJob job;
  job.job = current_job ? zv::kJobCurrent : zv::kJobHourly;
  zv::FillReadJob(link, job);
  if (job.device_time != 0) {
    std::tm local{};
    const std::time_t when = static_cast<std::time_t>(job.device_time);
    localtime_r(&when, &local);
    if (local.tm_year + 1900 < 2000 || local.tm_year + 1900 > 2051) Fail("device time out of range", job.device_time);
  }
  CheckTexts(job);
  return 0;
}
