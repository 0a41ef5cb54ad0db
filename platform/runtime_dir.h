#pragma once
// The programs' private runtime folder: the workstation's single-instance
// channel and the converter lock live there, one folder per user for all four
// programs.

#include <string>

namespace zv {

// $XDG_RUNTIME_DIR/ZV, or, without the variable, "ZV-<uid>" in the system's
// temporary folder ($TMPDIR, else /tmp).
std::string RuntimeDir();

// Makes the folder (0700) unless it is there. One that is there must be a real
// folder of this user, not a link; its mode is set to 0700 again.
bool EnsurePrivateDir(const std::string& dir);

}  // namespace zv
