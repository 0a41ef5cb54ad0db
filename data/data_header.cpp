#include "data/data_header.h"

#include "data/tab_pieces.h"
#include "platform/ascii.h"
#include "platform/numbers.h"
#include "platform/str_format.h"
#include "platform/text_lines.h"

namespace {

constexpr const char* kViewerPresets[] = {"V",     "N",     "NAME",     "SCHEMA",     "WTIME",
                                          "TCW",   "PHONE", "MODEM",    "UCONTROL",   "NOTES",
                                          "DATAPRINT1", "DATAPRINT2", "DATAPRINT3", "DATAPRINT4"};

constexpr const char* kWorkstationPresets[] = {
    "V",      "N",          "NAME",       "SCHEMA",     "WTIME",      "TCW",   "PHONE",
    "MODEM",  "IPADDRESS",  "UCONTROL",   "DATASHOW",   "DATAPRINT1", "DATAPRINT2",
    "DATAPRINT3", "DATAPRINT4", "INTRC",  "CN_NF",      "CN_RS9600",  "CN_PT", "CN_L1",
    "CN_L2",  "CN_L3",      "CN_L4",      "CN_L5",      "CN_L6",      "CN_L7", "CN_L8"};

const std::vector<int> kNoList;

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// n of a DATAPRINTn key: atoi of its last character, minus 1.
int PrintListIndex(std::string_view key) {
  return key.empty() ? -1 : zv::AtoI(key.substr(key.size() - 1)) - 1;
}

}  // namespace

CDataHeader::CDataHeader(Form form) : form_(form) {
  if (form_ == kViewer) {
    for (const char* key : kViewerPresets) SetString(key, "");
    SetString("V", "4");
  } else {
    for (const char* key : kWorkstationPresets) SetString(key, "");
  }
}

const std::vector<CDataColumn>& CDataHeader::Columns() const {
  return form_ == kViewer ? zv::ViewerColumnTable() : zv::WorkstationColumnTable();
}

std::string* CDataHeader::Find(std::string_view key) {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &entries_[it->second].second;
}

const std::string* CDataHeader::Find(std::string_view key) const {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &entries_[it->second].second;
}

bool CDataHeader::Has(std::string_view key) const { return Find(key) != nullptr; }

std::string CDataHeader::GetString(std::string_view key) const {
  const std::string* v = Find(key);
  return v ? *v : std::string();
}

int CDataHeader::GetInt(std::string_view key) const {
  const std::string* v = Find(key);
  return v ? zv::AtoI(*v) : 0;
}

double CDataHeader::GetFloat(std::string_view key) const {
  const std::string* v = Find(key);
  return v ? zv::AtoF(*v) : 0.0;
}

void CDataHeader::SetString(std::string_view key, std::string_view value) {
  if (std::string* v = Find(key)) {
    v->assign(value);
    return;
  }
  index_.emplace(std::string(key), entries_.size());
  entries_.emplace_back(std::string(key), std::string(value));
}

void CDataHeader::SetInt(std::string_view key, int value) { SetString(key, zv::StrFormat("%d", value)); }

const std::vector<int>& CDataHeader::ColumnList(int n) const {
  if (n < 0 || n >= ListCount()) return kNoList;
  return lists_[n];
}

void CDataHeader::SetColumnIds(int n, std::vector<int> ids) {
  if (n < 0 || n >= ListCount()) return;
  lists_[n] = std::move(ids);
}

void CDataHeader::SetColumnList(int n, std::string_view text) {
  if (n < 0 || n >= ListCount()) return;
  std::vector<int>& list = lists_[n];
  list.clear();
  const std::vector<CDataColumn>& table = Columns();
  zv::TabPieces pieces(text);
  std::string_view piece;
  while (pieces.Next(piece)) {
    int id = zv::FindColumnByKey(table, piece);
    if (id >= 0) list.push_back(id);
    if (form_ == kViewer && piece.size() >= 2 && piece.substr(0, 2) == "LC") {
      SetInt(zv::StrFormat("LC_SET_%d", n), 1);
      SetInt(zv::StrFormat("LC_ROWS_%d", n), zv::AtoI(piece.substr(piece.size() - 2)));
    }
  }
}

void CDataHeader::ParseLine(std::string_view line) {
  size_t tab = line.find('\t');
  if (tab == std::string_view::npos || tab == 0) return;
  std::string key = zv::Trim(line.substr(0, tab));
  std::string_view value = zv::TrimView(line.substr(tab + 1));
  if (form_ == kViewer) {
    ParseViewerKey(key, value);
  } else if (zv::EqualsNoCase(key, "DATASHOW")) {
    SetColumnList(0, value);
  } else {
    SetString(key, value);
  }
}

void CDataHeader::ParseViewerKey(const std::string& key, std::string_view value) {
  if (!key.empty() && key[0] == '#') return;  // a comment
  if (Contains(key, "DATASHOW")) {
    SetColumnList(0, value);
  } else if (Contains(key, "DATAPRINT")) {
    SetColumnList(PrintListIndex(key), value);
  } else {
    SetString(key, value);
  }
}

bool CDataHeader::Read(const std::function<bool(std::string&)>& next_line) {
  std::string line;
  while (next_line(line)) {
    std::string_view t = zv::TrimView(line);
    if (!t.empty() && t[0] == '$') return true;
    ParseLine(t);
  }
  return false;
}

bool CDataHeader::Read(zv::TextLineReader& reader) {
  return Read([&reader](std::string& line) { return reader.Next(line); });
}

void CDataHeader::AppendListLine(std::string& out, const Entry& e, int n) const {
  out += e.first;
  out += e.second;
  const std::vector<CDataColumn>& table = Columns();
  for (int id : ColumnList(n)) {
    if (id < 0 || static_cast<size_t>(id) >= table.size()) continue;
    out += '\t';
    out += table[static_cast<size_t>(id)].key;
  }
  out += "\r\n";
}

std::string CDataHeader::Serialize() const {
  std::string out;
  for (const Entry& e : entries_) {
    if (form_ == kViewer) {
      if (e.first == "DATASHOW" || Contains(e.first, "LC_SET")) continue;
      if (Contains(e.first, "DATAPRINT")) {
        AppendListLine(out, e, PrintListIndex(e.first));
        continue;
      }
    } else if (e.first == "DATASHOW") {
      AppendListLine(out, e, 0);
      continue;
    }
    out += e.first;
    out += '\t';
    out += e.second;
    out += "\r\n";
  }
  out += "$\r\n";
  return out;
}
