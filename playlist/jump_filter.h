// Finding playlist entries by name as the user types: every word of the query must occur
// in the display name, in any order, without regard to letter case or accents ("cafe"
// finds "Café"). Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// One letter of a name: the Unicode code point that starts at `text[pos]`, and the number
// of bytes it takes. Well-formed UTF-8 sequences are read as UTF-8; every other byte is
// read as Windows-1252 (the system code page the names come in today), so both kinds of
// text fold the same way. This is the only place that knows how names are encoded.
struct DecodedLetter {
  uint32_t code_point = 0;
  size_t length = 1;
};
DecodedLetter DecodeLetter(const std::string& text, size_t pos);

// The text as the filter compares it: lower case, accents removed ("Å" -> "a",
// "Œ" -> "oe", "ß" -> "ss"), combining marks dropped, runs of blanks kept as they are;
// letters without a plain form stay themselves, in UTF-8.
std::string FoldForSearch(const std::string& text);

// The words of a query, folded, blanks (space, tab) between them; empty words dropped.
std::vector<std::string> QueryWords(const std::string& query);

// The rows whose name holds every word of the query. The names are folded once
// (SetNames, when the playlist changed); a query that only adds to the previous one
// (more letters, more words) is answered from the previous result.
class JumpFilter {
 public:
  void SetNames(const std::vector<std::string>& names);
  size_t NameCount() const { return starts_.empty() ? 0 : starts_.size() - 1; }

  // The matching rows in playlist order; an empty query matches every row.
  const std::vector<size_t>& Filter(const std::string& query);
  const std::vector<size_t>& Rows() const { return rows_; }

 private:
  bool Matches(size_t row, const std::vector<std::string>& words) const;

  std::string folded_;              // every folded name, one after another
  std::vector<size_t> starts_;      // name i is folded_[starts_[i], starts_[i+1])
  std::vector<size_t> rows_;        // the last result
  std::vector<std::string> words_;  // the words it was found for
  bool have_result_ = false;
};

}  // namespace velmora
