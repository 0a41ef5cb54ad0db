#pragma once
// Walking the TAB-separated pieces of a node file line: runs of TABs count as one
// separator and empty pieces are skipped. Pieces are views into the text, so
// their offset is piece.data() - text.data().

#include <cstddef>
#include <string_view>

namespace zv {

class TabPieces {
 public:
  explicit TabPieces(std::string_view text) : text_(text) {}

  // The next non-empty piece; false when none is left.
  bool Next(std::string_view& piece) {
    while (pos_ < text_.size() && text_[pos_] == '\t') ++pos_;
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\t', pos_);
    if (end == std::string_view::npos) end = text_.size();
    piece = text_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace zv
