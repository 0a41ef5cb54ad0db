#pragma once
// Reading a node file into a node of the group: the header up to the "$" line
// and the date-time of the last counted data line. No Qt.
//
// The header is read forward through CDataHeader::Read (every line trimmed; the
// first line starting with "$" ends it). The data lines are never read forward:
// the file is read back from its end towards the separator until the last
// counted line is found, which gives the stamp a forward read of every line
// would give (the last counted line wins, valid or not). A last line without
// its line end that lacks values of the file's layout is an unfinished write
// of a converter ended half-way (data/data_record.h) and does not count, so
// the next poll reads its hour again.

#include <string>
#include <string_view>

#include "data/date_stamp.h"

class CNode;

namespace zv {

// A data line counts for the stamp when, trimmed of blanks on both sides, it
// holds a TAB at a position above 0.
bool IsCountedDataLine(std::string_view trimmed_line);

// The stamp of a counted, trimmed data line: day, month, year and hour from its
// "dd.mm.yyyy hh:mm" start (each read like atoi), minutes and seconds kept from
// `current`; a stamp that is not valid from the hour up is 2000-01-01 00:00:00.
DateStamp CountedLineStamp(std::string_view trimmed_line, const DateStamp& current);

// Reads the node file `path` into `node`: path, header (workstation form),
// status 129 and the stamp of the last counted data line (unchanged when there
// is none). False (the node untouched) when the file does not open, is not a
// regular file or a read fails, with the errno value in `error`.
bool LoadNodeFile(const std::string& path, CNode& node, int* error = nullptr);

}  // namespace zv
