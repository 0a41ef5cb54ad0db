// The collector link (ZEVC's CCollectorLink) over any collector answers, fed
// through its I/O hooks (fuzz/reader_harness.h): pointers and status block,
// file headers, whole files and the clear command.
//
// Bytes 0-6 of the input: the plan (bits 0-1 the headers read, 2-3 the files
// read, bit 4 a clear at the end) and the slot of each header and file; the
// rest is the collector's stream.
//
// Checked: the kind as the status answer gives it (kind 1 with an all-0x01
// status block); a header either all zero or valid for the slot asked for;
// a file's blocks within the image and nothing past them written; the bins
// file of each file read (CCollectorLink::SaveBinFile into a folder of its
// own): none for a serial number of 0 or 0xFFFF, else named after the image's
// serial number, its size the lead and image part of the image's type and
// version, the lead zero and the image part the image's bytes.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/reader_harness.h"
#include "platform/str_format.h"
#include "readers/common/reader_flags.h"

namespace {

[[noreturn]] void Fail(const char* what, long long a, long long b = 0) {
  std::fprintf(stderr, "%s (%lld, %lld)\n", what, a, b);
  std::abort();
}

void CheckKind(const CCollectorLink& link) {
  const std::uint8_t* status = link.status_block();
  const int kind = link.kind();
  if (kind < 1 || kind > 3) Fail("kind out of range", kind);
  if (kind == 1) {
    for (int i = 0; i < CCollectorLink::kStatusSize; ++i) {
      if (status[i] != 0x01) Fail("kind 1 with a status byte other than 1", i, status[i]);
    }
  } else if ((kind == 3) != (status[32] == CCollectorLink::kKind3Mark)) {
    Fail("kind and its mark disagree", kind, status[32]);
  }
  // No ShowDeleted setting in the fuzz runs: every slot but one is listed.
  if (link.start_slot() != 0 || link.file_count() != link.kind_info().slots - 1) {
    Fail("pointers not those of ShowDeleted", link.start_slot(), link.file_count());
  }
}

void CheckHeader(const zv::CollectorFileHeader& h, int slot) {
  if (h == zv::CollectorFileHeader{}) return;
  if (h.slot != slot) Fail("header of another slot", h.slot, slot);
  if (h.model != 1 && h.model != 2) Fail("header model", h.model);
  if (h.serial == 0 || h.year < 2000 || h.year > 2099 || h.month < 1 || h.month > 12 || h.day < 1 ||
      h.day > 31 || h.hour < 0 || h.hour > 23) {
    Fail("invalid header passed", h.serial, h.year * 1000000LL + h.month * 10000 + h.day * 100 + h.hour);
  }
}

void CheckFile(const CCollectorLink& link, int status) {
  const long long bytes = static_cast<long long>(zv::CollectorFileBlocks(link.kind(), status)) *
                          link.kind_info().block_length;
  if (bytes > CCollectorLink::kImageSize) Fail("file larger than the image", bytes);
  const std::uint8_t* img = link.image();
  for (long long i = bytes; i < CCollectorLink::kImageSize; ++i) {
    if (img[i] != 0) Fail("image byte past the file written", i, img[i]);
  }
}

// A folder of its own for the bins files, removed at the end.
class BinsFolder {
 public:
  BinsFolder() {
    char pattern[] = "/tmp/collector_link_fuzz.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) Fail("mkdtemp failed", 0);
    path_ = pattern;
  }
  ~BinsFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void CheckBinsFile(const CCollectorLink& link) {
  static BinsFolder folder;
  const std::uint8_t* img = link.image();
  const int serial = img[2] | (img[3] << 8);
  const std::string name = link.SaveBinFile(folder.path());
  if (name.empty()) return;
  if (serial < 1 || serial > 0xFFFE) Fail("bins file of a bad serial number", serial);
  if (name.rfind(zv::StrFormat("bins/%05d_", serial), 0) != 0 || name.size() < 8 ||
      name.substr(name.size() - 7) != "-00.bin") {
    Fail("bins file name", serial, static_cast<long long>(name.size()));
  }
  const std::string path = folder.path() + "/" + name;
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const zv::CollectorBinsLayout layout = zv::CollectorBinsFileLayout(img[0], img[1]);
  if (layout.image > CCollectorLink::kImageSize) Fail("image part larger than the image", layout.image);
  if (bytes.size() != static_cast<size_t>(layout.lead + layout.image)) {
    Fail("bins file size", static_cast<long long>(bytes.size()), layout.lead + layout.image);
  }
  for (int i = 0; i < layout.lead; ++i) {
    if (bytes[static_cast<size_t>(i)] != 0) Fail("lead byte not zero", i);
  }
  if (bytes.compare(static_cast<size_t>(layout.lead), std::string::npos, reinterpret_cast<const char*>(img),
                    static_cast<size_t>(layout.image)) != 0) {
    Fail("image part not the image", layout.image);
  }
  std::filesystem::remove(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  g_bStop = false;
  zv::fuzz::Input input(data, size);
  const std::uint8_t plan = input.Byte();
  std::uint8_t slots[6];
  for (std::uint8_t& s : slots) s = input.Byte();
  zv::fuzz::ReaderStream stream(input);
  zv::fuzz::NoSleepClock clock;
  zv::fuzz::FuzzedCollectorLink link(stream, clock);

  link.SendPreamble();
  link.ReadPointers();
  link.SendPreamble();
  CheckKind(link);
  const int slot_count = link.kind_info().slots;
  for (int i = 0; i < (plan & 3); ++i) {
    const int slot = slots[i] % slot_count;
    CheckHeader(link.ReadFileHeader(slot), slot);
  }
  for (int i = 0; i < ((plan >> 2) & 3); ++i) {
    const int slot = slots[3 + i] % slot_count;
    const int status = link.status_block()[slot];
    if (link.ReadFile(zv::CollectorFileEntry(slot, status))) CheckBinsFile(link);
    CheckFile(link, status);
  }
  if (plan & 0x10) link.SendClear(0, 0);
  return 0;
}
