#pragma once
// The per-user settings of a program (what the programs call their profile).
//
// One INI file per program: $XDG_CONFIG_HOME/ZV/<Program>.ini, for example
// ~/.config/ZV/ZEVModem.ini with sections "Settings", "Poperties" or "Properties"
// (the section names are the programs' own, spelling included). Value names are
// matched without regard to case; a write replaces the value under the new
// spelling. Values are stored raw, so "AT&F,E0" survives as it is. Every call reads
// the file afresh, so one program sees what another wrote (the workstation reads
// the viewer's "Path"). Writes replace the file atomically and never drop
// another value: a file that is there but cannot be read fails the write (it
// stays as it was), and writers in any process take turns through an exclusive
// lock on "<Program>.ini.lock" beside the file, held from the read to the rename.
//
// Text values are bytes; paths are stored as UTF-8 (the file-name encoding).

#include <functional>
#include <string>
#include <string_view>

namespace zv {

class IniFile;

inline constexpr const char* kProgramZEVModem = "ZEVModem";
inline constexpr const char* kProgramZEVView = "ZEVView";
inline constexpr const char* kProgramZEVRS = "ZEVRS";
inline constexpr const char* kProgramZEVC = "ZEVC";

class Profile {
 public:
  explicit Profile(std::string program) : program_(std::move(program)) {}

  const std::string& program() const { return program_; }
  std::string Path() const;
  static std::string PathFor(std::string_view program);

  // The value as an integer: decimal, optionally signed, read as 32 bits (so a
  // value written from an unsigned 32-bit number reads back with the same bits).
  // A missing value, or one that does not start with a number, gives `def`.
  int GetInt(std::string_view section, std::string_view name, int def) const;
  std::string GetString(std::string_view section, std::string_view name,
                        std::string_view def) const;
  bool Has(std::string_view section, std::string_view name) const;

  // False, with the file untouched, when the value cannot be stored; the
  // reason (the system's text) then goes to `error` when one is given. A file
  // that its user may not write by its mode bits (a read-only 0444 profile)
  // is not replaced, whoever runs the program.
  bool WriteInt(std::string_view section, std::string_view name, int value,
                std::string* error = nullptr) const;
  bool WriteString(std::string_view section, std::string_view name, std::string_view value,
                   std::string* error = nullptr) const;
  // Several values changed in one write (one lock, one replacement of the
  // file): `change` gets the file's document as read under the lock and may
  // set and remove values. False, with the file untouched, as for WriteString.
  bool Update(const std::function<void(IniFile&)>& change, std::string* error = nullptr) const;

 private:
  std::string program_;
};

}  // namespace zv
