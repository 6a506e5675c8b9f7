// Splitting a line of text into runs that one font draws in one script, for text that no
// single font covers: a month name in Thai after digits that the Latin font draws, a Chinese
// date with its digits. Fonts are numbers in the order of preference; the caller says which
// characters each has. Platform-internal.
//
//   "2024年5月" with a Latin font 0 and a CJK font 1 -> "2024" in 0 (Common), "年5月" in 1 (Han)
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Which fonts have which characters: `first_font_with` gives the most preferred font that has
// a character (-1 when none does), `font_has` whether a given font has it.
struct FontCoverage {
  std::function<int(char32_t)> first_font_with;
  std::function<bool(int, char32_t)> font_has;
};

// A run of text[begin, end) drawn in `font`; `script` is its ISO 15924 code ("Latn", "Hani",
// "Thai"; "Zyyy" for digits, spaces and punctuation alone), for the text shaper.
struct FontRun {
  std::size_t begin = 0;
  std::size_t end = 0;
  int font = 0;
  std::string script;

  bool operator==(const FontRun&) const = default;
};

// Splits `text` into runs. Each character goes to the most preferred font that has it, except
// that marks, joiners and variation selectors stay with the character they belong to, and
// digits, spaces and punctuation stay in the run before them when its font has them. A
// character that no font has stays in the run before it (font 0 at the start): it shows as
// that font's missing-glyph box. Empty text gives no runs.
std::vector<FontRun> SplitFontRuns(std::u32string_view text, const FontCoverage& coverage);

// Whether `c` draws nothing of its own (a control or format character such as a joiner), so
// that a font without it misses nothing visible.
bool IsInvisibleCharacter(char32_t c);
