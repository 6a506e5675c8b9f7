#include "platform/canvas/pixels/font_set.h"

#include <fontconfig/fontconfig.h>
#include <unistd.h>

namespace {

// Where Debian and other systems keep DejaVu Sans, for a fontconfig that finds nothing.
const char* const kFallbackFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

// A bound on remembered look-ups: a calendar shows a few hundred distinct characters.
constexpr std::size_t kMaxRememberedCharacters = 8192;

}  // namespace

// fontconfig's configuration and the sorted faces, held while text is drawn (the faces'
// character sets live in them) and given back, with fontconfig's caches, at the end.
struct FontSet::Fontconfig {
  FcConfig* config = nullptr;
  FcFontSet* sorted = nullptr;

  ~Fontconfig() {
    if (sorted != nullptr) FcFontSetDestroy(sorted);
    if (config != nullptr) {
      FcConfigDestroy(config);
      FcFini();  // nothing left for the leak checker at exit
    }
  }
};

FontSet::FontSet() : fontconfig_(std::make_unique<Fontconfig>()) {
  Fontconfig& fc = *fontconfig_;
  fc.config = FcInitLoadConfigAndFonts();
  FcPattern* pattern =
      fc.config != nullptr ? FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")) : nullptr;
  if (pattern != nullptr) {
    FcConfigSubstitute(fc.config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);  // the user's language, from the locale
    FcResult result = FcResultNoMatch;
    // Trimmed: a face is listed only for characters that no face before it has.
    fc.sorted = FcFontSort(fc.config, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
  }
  for (int i = 0; fc.sorted != nullptr && i < fc.sorted->nfont; ++i) {
    FcPattern* font = fc.sorted->fonts[i];
    FcChar8* file = nullptr;
    int index = 0;
    FcCharSet* charset = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) continue;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    FcPatternGetCharSet(font, FC_CHARSET, 0, &charset);
    faces_.push_back(FontFace{reinterpret_cast<const char*>(file), index});
    charsets_.push_back(charset);
  }
  if (faces_.empty()) {
    for (const char* fallback : kFallbackFonts) {
      if (access(fallback, R_OK) == 0) {
        faces_.push_back(FontFace{fallback, 0});
        charsets_.push_back(nullptr);
        break;
      }
    }
  }
}

FontSet::~FontSet() = default;

bool FontSet::Has(int font, char32_t c) const {
  if (font < 0 || font >= Size()) return false;
  const auto* charset = static_cast<const FcCharSet*>(charsets_[static_cast<std::size_t>(font)]);
  return charset == nullptr || FcCharSetHasChar(charset, static_cast<FcChar32>(c)) == FcTrue;
}

int FontSet::FirstWith(char32_t c) {
  if (auto found = first_with_.find(c); found != first_with_.end()) return found->second;
  int first = -1;
  for (int font = 0; font < Size() && first < 0; ++font) {
    if (Has(font, c)) first = font;
  }
  if (first_with_.size() >= kMaxRememberedCharacters) first_with_.clear();
  first_with_.emplace(c, first);
  return first;
}
