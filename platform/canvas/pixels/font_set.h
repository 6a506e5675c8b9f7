// The fonts that text in a pixel canvas is drawn in, as fontconfig chooses them: the default
// sans-serif face first (for the user's language), then the faces that fontconfig sorts after
// it, each kept only when it has characters that none before it has. Which face draws which
// character is looked up in the faces' character sets and remembered. Platform-internal.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct FontFace {
  std::string file;
  int index = 0;  // the face within a collection (.ttc)
};

class FontSet {
 public:
  // Asks fontconfig for the sorted faces; falls back to DejaVu Sans at its usual place when
  // fontconfig finds nothing. Empty when no font file can be found at all.
  FontSet();
  ~FontSet();
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;

  bool Empty() const { return faces_.empty(); }
  int Size() const { return static_cast<int>(faces_.size()); }
  const FontFace& Face(int font) const { return faces_[static_cast<std::size_t>(font)]; }

  // Whether face `font` has a glyph for `c` (by its character set; a face whose set is not
  // known is taken to have every character).
  bool Has(int font, char32_t c) const;

  // The first face that has `c`; -1 when none does.
  int FirstWith(char32_t c);

 private:
  struct Fontconfig;
  std::unique_ptr<Fontconfig> fontconfig_;
  std::vector<FontFace> faces_;
  std::vector<const void*> charsets_;             // FcCharSet per face, owned by fontconfig_
  std::unordered_map<char32_t, int> first_with_;  // characters looked up so far
};
