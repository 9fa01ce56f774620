#include "playlist/jump_filter.h"

#include <string_view>

#include "ui/utf8.h"

namespace velmora {

namespace {

// Windows-1252's letters and signs at 0x80-0x9F (unassigned bytes stand for themselves).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Plain letters of U+00C0-U+00FF; '*' marks the ones written with two letters or kept.
constexpr char kLatin1Plain[] = "aaaaaa*ceeeeiiiidnooooo*ouuuuy**aaaaaa*ceeeeiiiidnooooo*ouuuuy*y";
static_assert(sizeof kLatin1Plain - 1 == 0x40, "one letter for each of U+00C0-U+00FF");

// Plain letters of U+0100-U+017F (Latin Extended-A); '*' marks the ligatures.
constexpr char kLatinExtendedPlain[] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllllnnnnnnnnnoooooo**rrrrrr"
    "ssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof kLatinExtendedPlain - 1 == 0x80, "one letter for each of U+0100-U+017F");

// Appends the folded form of one letter.
void AppendFolded(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + ('a' - 'A') : cp);
    return;
  }
  if (cp >= 0x300 && cp <= 0x36F) return;  // combining accents (names in decomposed form)
  if (cp >= 0xC0 && cp <= 0xFF) {
    const char plain = kLatin1Plain[cp - 0xC0];
    if (plain != '*') {
      out += plain;
      return;
    }
    switch (cp) {
      case 0xC6:
      case 0xE6: out += "ae"; return;
      case 0xDE:
      case 0xFE: out += "th"; return;
      case 0xDF: out += "ss"; return;
      default: break;  // the multiplication and division signs
    }
  } else if (cp >= 0x100 && cp <= 0x17F) {
    const char plain = kLatinExtendedPlain[cp - 0x100];
    if (plain != '*') {
      out += plain;
      return;
    }
    out += cp < 0x140 ? "ij" : "oe";
    return;
  } else if (cp == 0x192) {
    out += 'f';
    return;
  } else if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) {
    cp += 0x20;  // Greek capitals
  } else if (cp >= 0x410 && cp <= 0x42F) {
    cp += 0x20;  // Cyrillic capitals
  } else if (cp >= 0x400 && cp <= 0x40F) {
    cp += 0x50;
  }
  ui::AppendUtf8(out, cp);
}

}  // namespace

DecodedLetter DecodeLetter(const std::string& text, size_t pos) {
  const unsigned char lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, 1};
  // A well-formed UTF-8 sequence (no overlong forms, no surrogates, nothing above U+10FFFF).
  size_t taken = 0;
  bool valid = false;
  const char32_t cp = ui::DecodeUtf8At(text, pos, taken, valid);
  if (valid) return {cp, taken};
  // Otherwise the byte is a letter of the 8-bit code page.
  if (lead < 0xA0) return {kCp1252High[lead - 0x80], 1};
  return {lead, 1};
}

std::string FoldForSearch(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {  // the common case, without the decoder
      out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
      ++pos;
      continue;
    }
    const DecodedLetter letter = DecodeLetter(text, pos);
    AppendFolded(out, letter.code_point);
    pos += letter.length;
  }
  return out;
}

std::vector<std::string> QueryWords(const std::string& query) {
  std::vector<std::string> words;
  const std::string folded = FoldForSearch(query);
  size_t pos = 0;
  while (pos < folded.size()) {
    while (pos < folded.size() && (folded[pos] == ' ' || folded[pos] == '\t')) ++pos;
    size_t end = pos;
    while (end < folded.size() && folded[end] != ' ' && folded[end] != '\t') ++end;
    if (end > pos) words.push_back(folded.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

void JumpFilter::SetNames(const std::vector<std::string>& names) {
  folded_.clear();
  starts_.clear();
  starts_.reserve(names.size() + 1);
  for (const std::string& name : names) {
    starts_.push_back(folded_.size());
    folded_ += FoldForSearch(name);
  }
  starts_.push_back(folded_.size());
  have_result_ = false;
}

bool JumpFilter::Matches(size_t row, const std::vector<std::string>& words) const {
  const std::string_view name(folded_.data() + starts_[row], starts_[row + 1] - starts_[row]);
  for (const std::string& word : words)
    if (name.find(word) == std::string_view::npos) return false;
  return true;
}

const std::vector<size_t>& JumpFilter::Filter(const std::string& query) {
  std::vector<std::string> words = QueryWords(query);
  // Every earlier word inside one of the new words: whatever matches now matched before.
  bool narrows = have_result_;
  for (size_t i = 0; narrows && i < words_.size(); ++i) {
    bool inside = false;
    for (const std::string& word : words)
      if (word.find(words_[i]) != std::string::npos) inside = true;
    narrows = inside;
  }
  const size_t count = NameCount();
  if (narrows) {
    size_t kept = 0;
    for (size_t row : rows_)
      if (Matches(row, words)) rows_[kept++] = row;
    rows_.resize(kept);
  } else {
    rows_.clear();
    for (size_t row = 0; row < count; ++row)
      if (Matches(row, words)) rows_.push_back(row);
  }
  words_ = std::move(words);
  have_result_ = true;
  return rows_;
}

}  // namespace velmora
