#pragma once
// What a printed report is made from: the record a printing view puts into the
// print job's user data (PrintInfo::m_lpUserData). The kind, the report page and
// the three totals are the printing window's own, so two windows of one document
// each print what they show.

class CZEVViewDoc;

namespace zv {

struct ReportSource {
  const CZEVViewDoc* document = nullptr;
  int showType = 0;      // 0 daily, 1 hourly, 2 journal, 3 device parameters
  int page = 0;          // the report page (column list 0..3)
  int normalHours = 0;   // of the last daily or hourly table
  int noCountHours = 0;
  int errorBits = 0;     // the OR of the table's error codes
};

}  // namespace zv
