#include "platform/ini_file.h"

#include <cerrno>

#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/text_lines.h"

namespace zv {
namespace {

// The section name of a "[name]" line, or nullopt.
std::optional<std::string_view> SectionName(std::string_view line) {
  std::string_view t = TrimView(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return TrimView(t.substr(1, t.size() - 2));
}

// The name of a "name=value" line, or nullopt.
std::optional<std::string_view> ValueName(std::string_view line) {
  std::string_view t = TrimLeftView(line);
  if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return TrimView(line.substr(0, eq));
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  lines_.clear();
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  Parse(bytes);
  return true;
}

bool IniFile::LoadForUpdate(const std::string& path, int* error) {
  lines_.clear();
  std::string bytes;
  int why = 0;
  if (!ReadWholeFile(path, bytes, &why)) {
    if (error) *error = why;
    return why == ENOENT;
  }
  if (error) *error = 0;
  Parse(bytes);
  return true;
}

void IniFile::Parse(std::string_view text) { lines_ = SplitLines(text); }

std::string IniFile::Text() const {
  std::string out;
  for (const std::string& l : lines_) {
    out += l;
    out += '\n';
  }
  return out;
}

bool IniFile::Save(const std::string& path, std::string* error) const {
  return WriteFileAtomically(path, Text(), error);
}

int IniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto name = SectionName(lines_[i]);
    if (name && EqualsNoCase(*name, section)) return static_cast<int>(i);
  }
  return -1;
}

int IniFile::SectionEnd(int header) const {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < lines_.size() && !SectionName(lines_[i])) ++i;
  return static_cast<int>(i);
}

int IniFile::FindValue(int header, std::string_view name) const {
  int end = SectionEnd(header);
  for (int i = header + 1; i < end; ++i) {
    auto n = ValueName(lines_[static_cast<size_t>(i)]);
    if (n && EqualsNoCase(*n, name)) return i;
  }
  return -1;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view name) const {
  // A section may appear twice in a hand-edited file: the first one that holds
  // the value answers.
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto s = SectionName(lines_[i]);
    if (!s || !EqualsNoCase(*s, section)) continue;
    int v = FindValue(static_cast<int>(i), name);
    if (v >= 0) {
      const std::string& line = lines_[static_cast<size_t>(v)];
      return line.substr(line.find('=') + 1);
    }
  }
  return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view name, std::string_view value) {
  std::string clean(value);
  for (char& c : clean) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::string line = std::string(name) + "=" + clean;
  int header = FindSection(section);
  if (header < 0) {
    if (!lines_.empty() && !TrimView(lines_.back()).empty()) lines_.emplace_back();
    std::string header_line;
    header_line.reserve(section.size() + 2);
    header_line.append(1, '[').append(section).append(1, ']');
    lines_.push_back(std::move(header_line));
    lines_.push_back(line);
    return;
  }
  int v = FindValue(header, name);
  if (v >= 0) {
    lines_[static_cast<size_t>(v)] = line;
    return;
  }
  // After the section's last non-blank line.
  int end = SectionEnd(header);
  while (end > header + 1 && TrimView(lines_[static_cast<size_t>(end - 1)]).empty()) --end;
  lines_.insert(lines_.begin() + end, line);
}

bool IniFile::Remove(std::string_view section, std::string_view name) {
  int header = FindSection(section);
  if (header < 0) return false;
  int v = FindValue(header, name);
  if (v < 0) return false;
  lines_.erase(lines_.begin() + v);
  return true;
}

}  // namespace zv
