#include "platform/text/text_wrap.h"

#include "platform/text/unicode.h"

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

// The longest prefix of `text` that measures at most `width` and ends between code points,
// and never less than one code point, so that every line makes progress.
std::size_t FittingPrefix(std::u16string_view text, int width, const TextMeasure& measure) {
  std::vector<std::size_t> ends;  // the end of each code point
  for (std::size_t at = 0; at < text.size();) {
    NextCodePoint(text, &at);
    ends.push_back(at);
  }
  // Widths grow with the prefix, so the last fitting end is found by halving.
  std::size_t fits = 0;  // index into ends, known to be taken
  std::size_t too_long = ends.size();
  while (too_long - fits > 1) {
    const std::size_t middle = fits + (too_long - fits) / 2;
    if (measure(text.substr(0, ends[middle])) <= width) {
      fits = middle;
    } else {
      too_long = middle;
    }
  }
  return ends[fits];
}

// Reads the next word of `paragraph` from *at, with the spaces before it; false at the end.
bool NextWord(std::u16string_view paragraph, std::size_t* at, std::u16string_view* spaces,
              std::u16string_view* word) {
  std::size_t start = *at;
  while (start < paragraph.size() && IsSpace(paragraph[start])) ++start;
  if (start == paragraph.size()) return false;  // trailing spaces are dropped
  std::size_t end = start;
  while (end < paragraph.size() && !IsSpace(paragraph[end])) ++end;
  *spaces = paragraph.substr(*at, start - *at);
  *word = paragraph.substr(start, end - start);
  *at = end;
  return true;
}

// Wraps one paragraph (no line breaks in it) onto `lines`.
void WrapParagraph(std::u16string_view paragraph, int width, const TextMeasure& measure,
                   std::vector<std::u16string>* lines) {
  std::u16string line;  // the line being filled; empty until it has a word
  bool first_line = true;
  std::size_t at = 0;
  std::u16string_view spaces;
  std::u16string_view word;
  while (NextWord(paragraph, &at, &spaces, &word)) {
    // Spaces go before a word on the same line, and before the paragraph's first word.
    std::u16string candidate = line;
    if (!line.empty() || first_line) candidate += spaces;
    candidate += word;
    if (measure(candidate) <= width) {
      line = std::move(candidate);
      continue;
    }
    if (!line.empty()) {
      lines->push_back(std::move(line));
      line.clear();
      first_line = false;
    }
    // The word starts a line; whatever of it does not fit goes on lines of its own.
    while (measure(word) > width) {
      const std::size_t taken = FittingPrefix(word, width, measure);
      if (taken >= word.size()) break;
      lines->emplace_back(word.substr(0, taken));
      word.remove_prefix(taken);
      first_line = false;
    }
    line = std::u16string(word);
  }
  if (!line.empty()) lines->push_back(std::move(line));
}

}  // namespace

std::vector<std::u16string> WrapText(std::u16string_view text, int width,
                                     const TextMeasure& measure) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') ++end;
    const std::size_t before = lines.size();
    WrapParagraph(text.substr(start, end - start), width, measure, &lines);
    if (lines.size() == before) lines.emplace_back();  // an empty line stays one
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
        text[end + 1] == u'\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}
