#include "platform/canvas/pixels/font_runs.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

namespace {

UScriptCode ScriptOf(char32_t c) {
  UErrorCode status = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(static_cast<UChar32>(c), &status);
  return U_SUCCESS(status) ? script : USCRIPT_COMMON;
}

bool IsNeutral(UScriptCode script) {
  return script == USCRIPT_COMMON || script == USCRIPT_INHERITED || script == USCRIPT_UNKNOWN;
}

// Characters that belong to the one before them: a font change or a new shaping run between
// the two would tear them apart (a Thai vowel sign from its consonant, an emoji from its
// variation selector).
bool Attaches(char32_t c) {
  const auto code = static_cast<UChar32>(c);
  const auto type = static_cast<UCharCategory>(u_charType(code));
  return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK ||
         type == U_COMBINING_SPACING_MARK || u_hasBinaryProperty(code, UCHAR_JOIN_CONTROL) ||
         u_hasBinaryProperty(code, UCHAR_VARIATION_SELECTOR);
}

std::string ScriptTag(UScriptCode script) {
  const char* name = uscript_getShortName(IsNeutral(script) ? USCRIPT_COMMON : script);
  return name != nullptr ? name : "Zyyy";
}

}  // namespace

std::vector<FontRun> SplitFontRuns(std::u32string_view text, const FontCoverage& coverage) {
  std::vector<FontRun> runs;
  std::vector<UScriptCode> scripts;  // each run's script while it is built
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    const UScriptCode script = ScriptOf(c);
    const bool neutral = IsNeutral(script);
    if (!runs.empty() && (Attaches(c) || (neutral && coverage.font_has(runs.back().font, c)))) {
      runs.back().end = i + 1;
      continue;
    }
    int font = coverage.first_font_with(c);
    if (font < 0) font = runs.empty() ? 0 : runs.back().font;
    if (!runs.empty() && font == runs.back().font &&
        (neutral || IsNeutral(scripts.back()) || script == scripts.back())) {
      runs.back().end = i + 1;
      if (IsNeutral(scripts.back())) scripts.back() = script;
      continue;
    }
    runs.push_back(FontRun{i, i + 1, font, ""});
    scripts.push_back(script);
  }
  for (std::size_t r = 0; r < runs.size(); ++r) runs[r].script = ScriptTag(scripts[r]);
  return runs;
}

bool IsInvisibleCharacter(char32_t c) {
  const auto code = static_cast<UChar32>(c);
  const auto type = static_cast<UCharCategory>(u_charType(code));
  return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR ||
         u_hasBinaryProperty(code, UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
}
