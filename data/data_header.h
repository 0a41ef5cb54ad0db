#pragma once
// CDataHeader: the header of a node file, read up to its "$" line.
//
// A map key -> value (texts, Windows-1251, keys case-sensitive) kept in insertion
// order: the presets of the form first, then keys in the order the file or the
// caller added them; the writer emits them in that order. Besides the map the
// header holds the column lists: the viewer form has four (its report pages 1..4,
// stored as DATAPRINT1..DATAPRINT4), the workstation form one (its shown
// columns, stored as DATASHOW). Column ids refer to the form's own column table.
//
// Use:
//   CDataHeader h(CDataHeader::kViewer);        // or kWorkstation
//   zv::TextLineReader in(path);
//   bool had_separator = h.Read(in);            // in now stands on the first data line
//   int v = h.GetInt("V");  h.SetString("NAME", name);
//   out.Write(h.Serialize());                   // header lines and "$", CR LF each
//
// Absent keys read as 0, 0.0 or ""; numbers are read like atoi/atof (a leading
// number, else 0) and never depend on the locale.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/data_columns.h"

namespace zv {
class TextLineReader;
}

class CDataHeader {
 public:
  enum Form { kViewer, kWorkstation };
  using Entry = std::pair<std::string, std::string>;

  // An empty header holding the presets of the form, in their order.
  explicit CDataHeader(Form form);

  Form form() const { return form_; }
  // The column table the ids of this form's lists refer to.
  const std::vector<CDataColumn>& Columns() const;

  // Takes one header line "KEY TAB VALUE". Lines without a TAB, or with the TAB
  // first, are ignored. Viewer: "#" keys are comments; keys containing DATASHOW or
  // DATAPRINT fill the column lists and never enter the map. Workstation: a key
  // equal to DATASHOW (any letter case) fills the list; every other key is kept.
  void ParseLine(std::string_view line);

  // Fills list n from TAB-separated column keys (letter case ignored; runs of TABs
  // are one separator; unknown pieces are dropped). n outside the form's lists:
  // nothing. Viewer only: a piece starting with "LC" also sets LC_SET_<n> = 1 and
  // LC_ROWS_<n> = atoi of its last two characters.
  void SetColumnList(int n, std::string_view text);

  int GetInt(std::string_view key) const;
  double GetFloat(std::string_view key) const;
  std::string GetString(std::string_view key) const;
  bool Has(std::string_view key) const;
  // Both add the key at the end, or replace its value in place.
  void SetInt(std::string_view key, int value);
  void SetString(std::string_view key, std::string_view value);

  // The map in its order.
  const std::vector<Entry>& Entries() const { return entries_; }

  // 4 lists in the viewer form, 1 in the workstation form.
  int ListCount() const { return form_ == kViewer ? 4 : 1; }
  // List n (empty for n outside 0..ListCount()-1).
  const std::vector<int>& ColumnList(int n) const;
  // Replaces list n; ids that the form's table lacks are dropped when written.
  void SetColumnIds(int n, std::vector<int> ids);

  // The reader loop: every line is trimmed of blanks on both sides; a line whose
  // first character is then "$" ends the header; every other line goes to
  // ParseLine. `next_line` gives the next line and returns false at the end.
  // Returns true when the "$" line was found (the source then stands just after
  // it), false when the source ended first (the whole source was header).
  bool Read(const std::function<bool(std::string&)>& next_line);
  bool Read(zv::TextLineReader& reader);

  // The header as the form's writer stores it: "KEY TAB VALUE" CR LF per map key,
  // then "$" CR LF.
  //   Viewer: DATASHOW and LC_SET* keys are left out (list 0 lives under
  //   DATAPRINT1); DATAPRINTn is written as the key, its value, then TAB and the
  //   key of each column of list n-1; NOTES is written back as it is.
  //   Workstation: DATASHOW is written with its list the same way; every other key
  //   plainly.
  std::string Serialize() const;

 private:
  void ParseViewerKey(const std::string& key, std::string_view value);
  void AppendListLine(std::string& out, const Entry& e, int n) const;
  std::string* Find(std::string_view key);
  const std::string* Find(std::string_view key) const;

  Form form_;
  std::vector<Entry> entries_;
  std::map<std::string, size_t, std::less<>> index_;  // key -> position in entries_
  std::vector<int> lists_[4];
};
