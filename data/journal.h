#pragma once
// The heat computer's settings-change journal.
//
// It comes as a file "<N>.zvj" beside the node file: 2560 bytes, byte 2 the slot
// of the newest record, slot i the 10 bytes at 3 + 10 i (256 slots; the last
// one's flags byte would lie past the end and reads as 0). Without such a file
// the header's LAST_CHANGES1..LAST_CHANGES10 texts stand in for it. Nothing in
// the system writes the journal file.
//
// Use:
//   zv::JournalImage image{};
//   zv::JournalLoad j = zv::LoadJournal(node_file_path, header, image);
//   for (const CLastChangesRec& e : j.entries) ...   // newest first
//   if (j.source == zv::JournalLoad::kBadNumber) ...  // N unfit for a file name

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/date_stamp.h"

class CDataHeader;

class CLastChangesRec {
 public:
  static constexpr size_t kRecordSize = 10;

  CLastChangesRec() = default;
  // From a 10-byte journal record: hour, day (low 7 bits), year-2016 and month
  // (high and low nibble), working hours (int32 LE), change flags.
  static CLastChangesRec FromRecord(std::span<const unsigned char, kRecordSize> record);
  // From a LAST_CHANGESn header text: "dd.mm.yyyy hh:mm", the change text from
  // character 22 on. Not validated.
  static CLastChangesRec FromHeaderText(std::string_view entry);
  // "наработка <hours> час.; " and the words of the set flags, Windows-1251.
  static std::string FormatChangeText(std::span<const unsigned char, kRecordSize> record);

  // Whether a record decoded from the file is listed: year 2001..2098, month
  // 1..12, day 1..31, hour 0..23.
  bool IsListed() const;

  DateStamp time;
  std::string text;  // Windows-1251
};

namespace zv {

inline constexpr size_t kJournalFileSize = 2560;
inline constexpr int kJournalSlots = 256;
using JournalImage = std::array<unsigned char, kJournalFileSize>;

// The 10 bytes of slot 0..255; bytes past the image read as 0.
std::array<unsigned char, CLastChangesRec::kRecordSize> JournalSlot(const JournalImage& image, int slot);

// The listed records of a full image, newest (the slot in byte 2) to oldest.
std::vector<CLastChangesRec> DecodeJournal(const JournalImage& image);

// The LAST_CHANGES1..10 entries of the header that are not empty, in that order.
std::vector<CLastChangesRec> HeaderJournal(const CDataHeader& header);

struct JournalLoad {
  enum Source {
    kFile,       // the file had its 2560 bytes: entries decoded from it
    kShortFile,  // the file was shorter: no entries, and no fall-back
    kHeader,     // no file could be opened: entries from the header
    kBadNumber,  // N is unfit for a file name: no file looked for, entries from the header
    kReadError,  // the file is there but a read failed (error): entries from the header
  };
  Source source = kHeader;
  int error = 0;  // the errno value of kReadError
  std::vector<CLastChangesRec> entries;
};

// Loads the journal of the node file at `node_file_path` (on-disk form) with the
// header's N. `image` receives the bytes read (zeros past them; all zeros
// after a read error).
JournalLoad LoadJournal(const std::string& node_file_path, const CDataHeader& header, JournalImage& image);

}  // namespace zv
