#pragma once
// Names of the files that belong to a node, built from its header texts.
//
// The node file is "<N>_<NAME>.zev" (NAME empty: "data"), the journal "<N>.zvj",
// both in the node file's own folder. N and NAME come from files and dialogs, so
// before a name is built they are checked: N must be one or more ASCII digits;
// NAME must hold no path separator ("/" or "\"), NUL or other control character;
// and the file name must fit the file system's limit of 255 bytes. A failed
// check builds nothing, so no file is touched under a name that leaves the folder.
//
// Texts in are Windows-1251 (as the header holds them); names and paths out are
// the on-disk form (UTF-8), ready for open/rename.
//
// Use:
//   auto path = zv::BuildNodeFilePath(current_path, h.GetString("N"), h.GetString("NAME"));
//   if (!path) report(zv::CheckNodeFileName(h.GetString("N"), h.GetString("NAME")));

#include <optional>
#include <string>
#include <string_view>

namespace zv {

enum class NodeFileNameCheck {
  kOk,
  kBadNumber,  // N empty or not all digits
  kBadName,    // NAME holds a path separator, NUL or a control character
  kTooLong,    // the file name would exceed 255 bytes
};

// Checks N and NAME for a node file name.
NodeFileNameCheck CheckNodeFileName(std::string_view n, std::string_view name);
// Checks N alone (for the journal's name).
bool IsValidNodeNumber(std::string_view n);

// "<N>_<NAME>.zev", or nothing when the check fails.
std::optional<std::string> BuildNodeFileName(std::string_view n, std::string_view name);

// The folder part of a path with its trailing "/" (empty when the path has none).
std::string NodeFolderPrefix(std::string_view path);

// The node file name in the folder of `current_path` (on-disk form).
std::optional<std::string> BuildNodeFilePath(std::string_view current_path, std::string_view n,
                                             std::string_view name);

// The journal beside the node file: folder of `node_file_path`, N, ".zvj".
std::optional<std::string> JournalFilePath(std::string_view node_file_path, std::string_view n);

}  // namespace zv
