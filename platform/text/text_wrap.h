// Breaking a message box's text into lines that fit its width: first at the text's own line
// breaks, then between words, and inside a word only when that word alone is too wide. The
// width of a piece of text comes from the caller (pixels of a font in the window, character
// cells in the terminal), so every front end wraps by the same rule.
//
//   WrapText(u"Fertile\r\nConception: boy", 60, measure)  ->  {"Fertile", "Conception:", "boy"}
//   (with a measure that gives "Conception: boy" more than 60)
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The width of a piece of text, in the unit of WrapText's width. It must not shrink as text is
// added to a piece.
using TextMeasure = std::function<int(std::u16string_view)>;

// Splits `text` at "\r\n", "\n" and "\r" (each one break; an empty line stays an empty line,
// a final break ends the last line and adds none), then fills lines word by word so that each
// line measures at most `width`. Spaces and tabs separate words; those at a break are dropped,
// a paragraph's leading indentation is kept on its first line. A word wider than `width` is
// split between code points (never inside a surrogate pair), one code point at least per line,
// so a character wider than `width` gets a line of its own.
std::vector<std::u16string> WrapText(std::u16string_view text, int width,
                                     const TextMeasure& measure);
