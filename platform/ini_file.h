#pragma once
// A small INI document: "[Section]" lines and "name=value" lines. Section and value
// names are matched without regard to ASCII case; values are kept exactly as
// written after the first '=' (commas, spaces, '&' and bytes >= 0x80 included).
// Lines the parser does not understand (comments, blanks) are kept as they are, so
// a file edited by hand keeps its comments when a program writes a value.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class IniFile {
 public:
  // Loads the file; a missing file is an empty document (returns false).
  bool Load(const std::string& path);
  // The read before a write: true with the file's document, or with an empty
  // one when there is no such file; false when the file is there but cannot be
  // read (its errno value in `error`), since writing then would lose its values.
  bool LoadForUpdate(const std::string& path, int* error = nullptr);
  void Parse(std::string_view text);
  std::string Text() const;  // LF line ends
  // Atomic replacement of the file (temporary file, then rename); the reason
  // of a failure goes to `error` when one is given.
  bool Save(const std::string& path, std::string* error = nullptr) const;

  std::optional<std::string> Get(std::string_view section, std::string_view name) const;
  // Replaces the value (and the name's spelling) or appends it to its section,
  // creating the section at the end when needed. Line breaks in the value are
  // replaced by blanks: a value is one line.
  void Set(std::string_view section, std::string_view name, std::string_view value);
  bool Remove(std::string_view section, std::string_view name);

 private:
  // Index of the line "[section]", or -1.
  int FindSection(std::string_view section) const;
  // Index of the value line inside the section that starts at `header`, or -1.
  int FindValue(int header, std::string_view name) const;
  int SectionEnd(int header) const;

  std::vector<std::string> lines_;
};

}  // namespace zv
