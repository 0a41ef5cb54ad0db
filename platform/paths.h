#pragma once
// Where things live on this machine.

#include <string>

namespace zv {

// $XDG_CONFIG_HOME/ZV, or ~/.config/ZV when XDG_CONFIG_HOME is unset or empty.
std::string ConfigDir();
// The running program's executable (from /proc/self/exe) and its folder.
std::string ProgramPath();
std::string ProgramDir();
// Creates the folder and its parents when missing; true when it exists afterwards.
bool EnsureDirectories(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

}  // namespace zv
