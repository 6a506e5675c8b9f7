#include "platform/dates/date_pattern.h"

namespace datepattern {
namespace {

struct Token {
  enum Kind { kField, kText, kQuoted } kind;
  char16_t letter;      // kField: the pattern letter
  std::size_t count;    // kField: how many times it repeats
  std::u16string text;  // kText: a picture's literal text; of an ICU pattern, its source
};

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::size_t RunLength(std::u16string_view s, std::size_t i) {
  std::size_t n = 1;
  while (i + n < s.size() && s[i + n] == s[i]) ++n;
  return n;
}

// Reads 'quoted text' starting at the opening quote s[i]; returns the index after it. A
// doubled quote stands for one quote; a missing closing quote ends the text at the end.
std::size_t ReadQuoted(std::u16string_view s, std::size_t i, std::u16string& text) {
  ++i;
  while (i < s.size()) {
    if (s[i] != u'\'') {
      text += s[i++];
    } else if (i + 1 < s.size() && s[i + 1] == u'\'') {
      text += u'\'';
      i += 2;
    } else {
      return i + 1;
    }
  }
  return i;
}

std::vector<Token> ScanPicture(std::u16string_view picture) {
  std::vector<Token> tokens;
  std::u16string text;
  for (std::size_t i = 0; i < picture.size();) {
    const char16_t c = picture[i];
    if (c == u'd' || c == u'M' || c == u'y') {
      if (!text.empty()) tokens.push_back({Token::kText, 0, 0, std::move(text)});
      text.clear();
      const std::size_t n = RunLength(picture, i);
      tokens.push_back({Token::kField, c, n, {}});
      i += n;
    } else if (c == u'\'' && i + 1 < picture.size() && picture[i + 1] == u'\'') {
      text += u'\'';
      i += 2;
    } else if (c == u'\'') {
      i = ReadQuoted(picture, i, text);
    } else {
      text += c;
      ++i;
    }
  }
  if (!text.empty()) tokens.push_back({Token::kText, 0, 0, std::move(text)});
  return tokens;
}

// Literal text in an ICU pattern: letters are pattern fields there, so a run with letters
// is quoted. ICU reads two quotes in a row as one literal quote before anything else, so a
// doubled quote right after an opening or before a closing quote stays unambiguous. A run of
// quotes alone stays unquoted: inside quotes of its own it would read as one quote more.
void AppendLiteral(std::u16string& pattern, const std::u16string& text) {
  bool has_letters = false;
  for (char16_t c : text) has_letters = has_letters || IsAsciiLetter(c);
  if (has_letters) pattern += u'\'';
  for (char16_t c : text) {
    if (c == u'\'') pattern += u'\'';
    pattern += c;
  }
  if (has_letters) pattern += u'\'';
}

// The ICU field for a picture field other than the short year. Names stand alone (LLLL,
// cccc) when the picture gives them no date to agree with, as in a title or a header.
std::u16string IcuField(const Token& field, bool has_day_number, bool weekday_alone) {
  const std::size_t n = field.count;
  if (field.letter == u'y') return u"uuuu";
  if (field.letter == u'M') {
    if (n <= 2) return std::u16string(n, u'M');
    return std::u16string(n == 3 ? 3 : 4, has_day_number ? u'M' : u'L');
  }
  if (n <= 2) return std::u16string(n, u'd');
  const std::size_t width = n == 3 ? 3 : n == 5 ? 5 : 4;  // abbreviated, narrow, full
  return std::u16string(width, weekday_alone ? u'c' : u'E');
}

}  // namespace

std::vector<PicturePiece> TranslatePicture(std::u16string_view picture) {
  const std::vector<Token> tokens = ScanPicture(picture);
  bool has_day_number = false;
  bool weekday_alone = true;
  for (const Token& t : tokens) {
    if (t.kind != Token::kField) continue;
    const bool is_weekday = t.letter == u'd' && t.count >= 3;
    has_day_number = has_day_number || (t.letter == u'd' && t.count <= 2);
    weekday_alone = weekday_alone && is_weekday;
  }
  std::vector<PicturePiece> pieces;
  std::u16string pattern;
  for (const Token& t : tokens) {
    if (t.kind == Token::kText) {
      AppendLiteral(pattern, t.text);
    } else if (t.letter == u'y' && t.count < 4) {
      if (!pattern.empty()) pieces.push_back({std::move(pattern), 0});
      pattern.clear();
      pieces.push_back({u"", t.count == 1 ? 1 : 2});
    } else {
      pattern += IcuField(t, has_day_number, weekday_alone);
    }
  }
  if (!pattern.empty()) pieces.push_back({std::move(pattern), 0});
  return pieces;
}

namespace {

std::vector<Token> ScanIcuPattern(std::u16string_view pattern) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < pattern.size();) {
    const char16_t c = pattern[i];
    std::size_t end = i + 1;
    if (IsAsciiLetter(c)) {
      end = i + RunLength(pattern, i);
      tokens.push_back({Token::kField, c, end - i, {}});
      i = end;
      continue;
    }
    if (c == u'\'') {
      std::u16string ignored;
      end = ReadQuoted(pattern, i, ignored);
    } else {
      while (end < pattern.size() && !IsAsciiLetter(pattern[end]) && pattern[end] != u'\'') ++end;
    }
    tokens.push_back({c == u'\'' ? Token::kQuoted : Token::kText, 0, 0,
                      std::u16string(pattern.substr(i, end - i))});
    i = end;
  }
  return tokens;
}

// Unquoted text between fields: the separator that goes with an era field.
bool IsSeparator(const std::vector<Token>& tokens, std::size_t i) {
  return i < tokens.size() && tokens[i].kind == Token::kText;
}

bool IsField(const std::vector<Token>& tokens, std::size_t i) {
  return i < tokens.size() && tokens[i].kind == Token::kField;
}

}  // namespace

std::u16string PlainYearPattern(std::u16string_view icu_pattern) {
  std::vector<Token> tokens = ScanIcuPattern(icu_pattern);
  for (std::size_t i = 0; i < tokens.size();) {
    if (!IsField(tokens, i) || tokens[i].letter != u'G') {
      ++i;
      continue;
    }
    if (IsSeparator(tokens, i + 1) && IsField(tokens, i + 2)) {
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                   tokens.begin() + static_cast<std::ptrdiff_t>(i + 2));
    } else if (i > 0 && IsSeparator(tokens, i - 1)) {
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i - 1),
                   tokens.begin() + static_cast<std::ptrdiff_t>(i + 1));
      --i;
    } else {
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  std::u16string out;
  for (const Token& t : tokens) {
    if (t.kind != Token::kField) {
      out += t.text;
      continue;
    }
    const bool is_year = t.letter == u'y' || t.letter == u'Y' || t.letter == u'r' ||
                         t.letter == u'U' || t.letter == u'u';
    out.append(t.count, is_year ? u'u' : t.letter);
  }
  return out;
}

}  // namespace datepattern
