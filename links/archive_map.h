#pragma once
// Where a heat computer keeps its archives, and which memory blocks a poll reads.
//
// The daily and hourly archives are rings at fixed places of the device memory,
// one table row per family and model (family 1 models 1, 3 and 4; family 2 with
// any model). ArchiveAddress turns a date into the address of its record;
// BuildBlockList turns "last stored record .. now" into the list of blocks that
// covers every record written since, in blocks of the link's request length.
//
// The rings are short: the family 2 rings (and the hourly rings of family 1
// models 3 and 4) hold two months, laid out by the parity of the month, and the
// hourly ring of family 1 model 1 holds 47 days. A span from the last record's
// address to the target's address is only right while the records in between
// still fit the ring; from the shortest time in which they no longer can (the
// unused slots after a short February make two months only 58 days long), or
// when the months are two or more apart, the whole archive area is read
// instead, so no archive day is ever skipped for good.
//
// A family 1 device of another model has no map: it gets no list, and the poll
// ends with the failure status.

#include "data/date_stamp.h"
#include "links/block_list.h"
#include "links/link_type.h"

namespace zv {

// Levels of ArchiveAddress; any other level is the monthly record.
inline constexpr int kArchiveDaily = 2;
inline constexpr int kArchiveHourly = 3;

// Block length of the memory requests: 128 bytes through the line-side
// controller, 255 bytes for GSM and TCP.
inline constexpr int kPstnBlockStep = 128;
inline constexpr int kDirectBlockStep = 255;
int BlockStep(int link_type);

// Blocks read after the archives from extra_start on (models 3 and 4).
inline constexpr int kExtraBlocks = 11;

struct ArchiveRegion {
  int daily_start;
  int daily_end;
  int hourly_start;
  int hourly_end;
  int daily_record;   // bytes of one daily record
  int hourly_record;  // bytes of one hourly record
  int window;         // days: a last record this old or older reads the whole area
  int shortest_cycle; // days: from this age on one of the rings may have come round
  int extra_start;    // 0: no extra blocks
};

// The archive map of a device; null for a family 1 device of a model without one.
// Every family other than 1 is family 2.
const ArchiveRegion* ArchiveRegionOf(int family, int model);

// The address of the record of `stamp` (only year, month, day and hour count),
// level kArchiveDaily, kArchiveHourly or any other for the monthly record.
// 0 for a device without a map.
int ArchiveAddress(int family, int model, const DateStamp& stamp, int level);

// Fills `list` (cleared first) with the blocks that cover the archive records
// from the day of `last_record` (from its hour 0) up to `target` (the
// computer's clock plus two hours), then the extra blocks of the model.
// False, with an empty list, for a device without an archive map.
bool BuildBlockList(int link_type, int family, int model, const DateStamp& last_record,
                    const DateStamp& target, BlockList& list);

}  // namespace zv
