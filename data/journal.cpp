#include "data/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "data/data_header.h"
#include "data/format_helpers.h"
#include "data/node_file_name.h"
#include "platform/cp1251.h"
#include "platform/numbers.h"
#include "platform/str_format.h"

namespace {

// The words of the change flags, bit 0x01 first; 0x80 has none.
constexpr const char* kFlagWords[] = {
    "Время; ",         "Формула; ",         "Тхол; ",
    "Тип термодатчиков; ", "Вес импульсов; ", "Сброс показаний; ",
    "Калибровка Т/Р; ",
};

int Field(std::string_view text, size_t pos, size_t len) {
  return pos < text.size() ? zv::AtoI(text.substr(pos, len)) : 0;
}

enum class JournalRead { kRead, kNotOpened, kFailed };

// Reads up to image.size() bytes. kNotOpened when the file cannot be opened
// (or is no regular file, which could not be read as one); kFailed, with the
// errno value in `error`, when a read fails: the bytes read so far are not
// trusted then.
JournalRead ReadJournalFile(const std::string& path, zv::JournalImage& image, size_t& got, int& error) {
  got = 0;
  error = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return JournalRead::kNotOpened;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return JournalRead::kNotOpened;
  }
  while (got < image.size()) {
    const ssize_t n = ::read(fd, image.data() + got, image.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ::close(fd);
      image.fill(0);
      got = 0;
      return JournalRead::kFailed;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  return JournalRead::kRead;
}

}  // namespace

CLastChangesRec CLastChangesRec::FromRecord(std::span<const unsigned char, kRecordSize> r) {
  CLastChangesRec rec;
  rec.time = DateStamp(2016 + (r[2] >> 4), r[2] & 0x0F, r[1] & 0x7F, r[0], 0, 0);
  rec.text = FormatChangeText(r);
  return rec;
}

CLastChangesRec CLastChangesRec::FromHeaderText(std::string_view entry) {
  CLastChangesRec rec;
  rec.time = DateStamp(Field(entry, 6, 4), Field(entry, 3, 2), Field(entry, 0, 2), Field(entry, 11, 2),
                       Field(entry, 14, 2), 0);
  if (entry.size() > 22) rec.text = std::string(entry.substr(22));
  return rec;
}

std::string CLastChangesRec::FormatChangeText(std::span<const unsigned char, kRecordSize> r) {
  std::string words;
  for (size_t bit = 0; bit < std::size(kFlagWords); ++bit) {
    if (r[7] & (1u << bit)) words += kFlagWords[bit];
  }
  return zv::StrFormat(zv::W1251("наработка %d час.; %s").c_str(), ReadInt32(r.data() + 3),
                       zv::W1251(words).c_str());
}

bool CLastChangesRec::IsListed() const {
  return time.year > 2000 && time.year < 2099 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
         time.day <= 31 && time.hour >= 0 && time.hour <= 23;
}

namespace zv {

std::array<unsigned char, CLastChangesRec::kRecordSize> JournalSlot(const JournalImage& image, int slot) {
  std::array<unsigned char, CLastChangesRec::kRecordSize> rec{};
  if (slot < 0 || slot >= kJournalSlots) return rec;
  const size_t start = 3 + CLastChangesRec::kRecordSize * static_cast<size_t>(slot);
  const size_t n = std::min(rec.size(), image.size() - start);
  std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(start), n, rec.begin());
  return rec;
}

std::vector<CLastChangesRec> DecodeJournal(const JournalImage& image) {
  std::vector<CLastChangesRec> list;
  int slot = image[2];
  for (int step = 0; step < kJournalSlots; ++step) {
    const auto bytes = JournalSlot(image, slot);
    CLastChangesRec rec = CLastChangesRec::FromRecord(bytes);
    if (rec.IsListed()) list.push_back(std::move(rec));
    slot = slot == 0 ? kJournalSlots - 1 : slot - 1;
  }
  return list;
}

std::vector<CLastChangesRec> HeaderJournal(const CDataHeader& header) {
  std::vector<CLastChangesRec> list;
  for (int i = 1; i <= 10; ++i) {
    const std::string text = header.GetString(StrFormat("LAST_CHANGES%d", i));
    if (!text.empty()) list.push_back(CLastChangesRec::FromHeaderText(text));
  }
  return list;
}

JournalLoad LoadJournal(const std::string& node_file_path, const CDataHeader& header, JournalImage& image) {
  JournalLoad result;
  image.fill(0);
  const std::optional<std::string> path = JournalFilePath(node_file_path, header.GetString("N"));
  size_t got = 0;
  JournalRead read = JournalRead::kNotOpened;
  if (path) read = ReadJournalFile(*path, image, got, result.error);
  if (!path) {
    result.source = JournalLoad::kBadNumber;
  } else if (read == JournalRead::kNotOpened) {
    result.source = JournalLoad::kHeader;
  } else if (read == JournalRead::kFailed) {
    result.source = JournalLoad::kReadError;
  } else if (got < kJournalFileSize) {
    result.source = JournalLoad::kShortFile;
    return result;
  } else {
    result.source = JournalLoad::kFile;
    result.entries = DecodeJournal(image);
    return result;
  }
  result.entries = HeaderJournal(header);
  return result;
}

}  // namespace zv
