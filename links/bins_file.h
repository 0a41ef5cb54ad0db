#pragma once
// The bins file: the raw result of one download, handed to the converter.
//
// It lies in the folder "bins" beside the program and is named
// "bins/%05d_%d-%02d-%02d_%02d-00.bin" from the device number and the computer
// clock's year, month, day and hour when it is written. It holds the identity
// block (64 bytes for family 1, 90 for family 2; the poll never fills it, so
// it is all zeros) followed by the memory image from address 0, as many bytes
// as the device's archive layout spans:
//
//   family 1 model 1: 32768   family 1 model 3: 58060
//   family 1 model 4: 61560   family 2:          58868
//
// After the converter has run, the file is moved to the same name in
// "archive-bins" or deleted, as the workstation's settings say.
//
// CComLink::WriteBinsFile (com_link.h) writes it; the file appears under its
// name only when it has been written whole.

#include <string>

#include "data/date_stamp.h"

namespace zv {

inline constexpr const char* kBinsFolder = "bins";
inline constexpr const char* kArchiveBinsFolder = "archive-bins";

// Bytes of the memory image in the bins file; 0 for a family 1 device of a
// model without an archive layout.
int BinsImageSize(int family, int model);

// The file's name relative to the program folder.
std::string BinsFileName(int device_number, const DateStamp& at);

// ZEVRS's name: the minute in place of the fixed "00",
// "bins/%05d_%d-%02d-%02d_%02d-%02d.bin".
std::string DirectBinsFileName(int device_number, const DateStamp& at);

// The same name in "archive-bins".
std::string ArchiveBinsFileName(const std::string& bins_name);

// Creates the folder `name` inside `base` when it is missing; true when it exists.
bool EnsureDirectory(const std::string& base, const std::string& name);

}  // namespace zv
