#include "platform/dates/dateformat.h"

#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/ures.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dates/civil_day.h"
#include "platform/dates/date_pattern.h"

namespace {

// Callers use a handful of pictures; the bounds only keep a stray caller from growing
// the cache without end.
constexpr std::size_t kMaxCachedPictures = 64;
constexpr std::size_t kMaxCachedLocales = 16;

// A compiled picture or style is a list of pieces whose texts are joined: an ICU date
// pattern, or the year's last two digits, which no ICU field prints for year 0.
struct Piece {
  icu::UnicodeString pattern;                     // empty for the short year
  std::unique_ptr<icu::NumberFormat> short_year;  // null for a pattern
};
using CompiledFormat = std::vector<Piece>;

struct LocaleFormats {
  icu::Locale locale;
  // One ICU format per locale, given each pattern in turn: building a format costs more than
  // the rest of a first date together, and a month's paint needs three or four patterns.
  std::unique_ptr<icu::SimpleDateFormat> format;
  std::map<std::u16string, CompiledFormat, std::less<>> pictures;
  std::map<DateStyle, CompiledFormat> styles;
};

struct FormatterCache {
  std::mutex mutex;
  std::string default_locale;  // ICU id; empty until read from the environment
  std::map<std::string, LocaleFormats, std::less<>> locales;
};

// Never destroyed: taking ICU's formats apart at exit would only lengthen every run.
FormatterCache& Cache() {
  static FormatterCache& cache = *new FormatterCache;
  // Every format here is in UTC. Without a zone of its own, ICU would look for the host's
  // zone (reading /etc/localtime and its zone data) for each format it builds, which is a
  // good part of the first date's cost; no code of ours asks ICU for local time.
  static const bool utc = [] {
    icu::TimeZone::adoptDefault(icu::TimeZone::getGMT()->clone());
    return true;
  }();
  (void)utc;
  return cache;
}

bool IsIdChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

// A POSIX locale name ("de_DE.UTF-8@euro", "sr_RS@latin") as an ICU id ("de_DE",
// "sr_Latn_RS"); empty for "C", "POSIX" and anything that is not a locale name.
std::string IcuIdFromPosix(std::string_view posix) {
  const std::size_t at = posix.find('@');
  const std::string_view modifier = at == std::string_view::npos ? "" : posix.substr(at + 1);
  const std::string_view name = posix.substr(0, std::min(at, posix.find('.')));
  if (name.empty() || name == "C" || name == "POSIX" || name.size() > 32) return "";
  if (!std::all_of(name.begin(), name.end(), IsIdChar)) return "";
  std::string id(name);
  const char* script = modifier == "latin"        ? "_Latn"
                       : modifier == "cyrillic"   ? "_Cyrl"
                       : modifier == "devanagari" ? "_Deva"
                                                  : nullptr;
  if (script != nullptr) id.insert(std::min(id.find_first_of("_-"), id.size()), script);
  return id;
}

// ICU falls back to its own default locale for a language it has no data for; the system
// default must not depend on that, so such a locale means English. The language has data when
// it names one of ICU's installed locales (every installed locale's language does), looked up
// in ICU's index of them: building the list of available locales costs more than a first date.
bool HasDateData(const icu::Locale& locale) {
  if (*locale.getLanguage() == '\0') return false;
  UErrorCode status = U_ZERO_ERROR;
  const icu::LocalUResourceBundlePointer index(ures_openDirect(nullptr, "res_index", &status));
  const icu::LocalUResourceBundlePointer installed(
      ures_getByKey(index.getAlias(), "InstalledLocales", nullptr, &status));
  const icu::LocalUResourceBundlePointer entry(
      ures_getByKey(installed.getAlias(), locale.getLanguage(), nullptr, &status));
  return U_SUCCESS(status);
}

std::string DefaultLocaleFromEnvironment() {
  std::string id;
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      id = IcuIdFromPosix(value);
      break;
    }
  }
  if (!id.empty()) {
    const icu::Locale canonical = icu::Locale::createCanonical(id.c_str());
    if (!canonical.isBogus() && HasDateData(canonical)) return canonical.getName();
  }
  return "en_US";
}

std::optional<std::string> IcuIdForLocale(std::string_view locale, FormatterCache& cache) {
  if (locale.empty()) {
    if (cache.default_locale.empty()) cache.default_locale = DefaultLocaleFromEnvironment();
    return cache.default_locale;
  }
  const icu::Locale named = icu::Locale::createCanonical(std::string(locale).c_str());
  if (named.isBogus() || !HasDateData(named)) return std::nullopt;
  return std::string(named.getName());
}

LocaleFormats& FormatsOf(const std::string& id, FormatterCache& cache) {
  const auto found = cache.locales.find(id);
  if (found != cache.locales.end()) return found->second;
  if (cache.locales.size() >= kMaxCachedLocales) cache.locales.clear();
  // The Gregorian names and patterns, also for locales whose own calendar is another.
  icu::Locale locale(id.c_str());
  UErrorCode status = U_ZERO_ERROR;
  locale.setKeywordValue("calendar", "gregorian", status);
  return cache.locales.emplace(id, LocaleFormats{locale, nullptr, {}, {}}).first->second;
}

// Sets the format to UTC, so no zone shifts the date, and to Gregorian rules back to the
// earliest date, so dates before October 1582 are not read as Julian. The calendar is a copy
// of the one the format made for its locale (ICU caches that one per locale).
bool UseProlepticUtc(icu::SimpleDateFormat& format) {
  std::unique_ptr<icu::Calendar> calendar(format.getCalendar()->clone());
  auto* gregorian = dynamic_cast<icu::GregorianCalendar*>(calendar.get());
  if (gregorian == nullptr) return false;
  UErrorCode status = U_ZERO_ERROR;
  gregorian->adoptTimeZone(icu::TimeZone::getGMT()->clone());
  gregorian->setGregorianChange(-std::numeric_limits<double>::max(), status);
  if (U_FAILURE(status)) return false;
  format.adoptCalendar(calendar.release());
  return true;
}

// The locale's format, built on first use; nullptr when ICU cannot build it.
icu::SimpleDateFormat* FormatOf(LocaleFormats& formats) {
  if (formats.format == nullptr) {
    UErrorCode status = U_ZERO_ERROR;
    auto format =
        std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(), formats.locale, status);
    if (U_FAILURE(status) || !UseProlepticUtc(*format)) return nullptr;
    formats.format = std::move(format);
  }
  return formats.format.get();
}

std::unique_ptr<icu::NumberFormat> NewShortYearFormat(int digits, const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::NumberFormat> format(icu::NumberFormat::createInstance(locale, status));
  if (U_FAILURE(status) || format == nullptr) return nullptr;
  format->setGroupingUsed(false);
  format->setMinimumIntegerDigits(digits);
  return format;
}

std::optional<CompiledFormat> CompilePicture(std::u16string_view picture,
                                             const icu::Locale& locale) {
  CompiledFormat compiled;
  for (const datepattern::PicturePiece& piece : datepattern::TranslatePicture(picture)) {
    Piece part;
    if (piece.short_year_digits == 0) {
      part.pattern = icu::UnicodeString(piece.icu_pattern.data(),
                                        static_cast<std::int32_t>(piece.icu_pattern.size()));
    } else {
      part.short_year = NewShortYearFormat(piece.short_year_digits, locale);
      if (part.short_year == nullptr) return std::nullopt;
    }
    compiled.push_back(std::move(part));
  }
  return compiled;
}

// The style's pattern is the one of ICU's format of that style; when the locale has no format
// yet, that format becomes it, rather than building a second one.
std::optional<CompiledFormat> CompileStyle(DateStyle style, LocaleFormats& formats) {
  const icu::DateFormat::EStyle icu_style = style == DateStyle::kLong     ? icu::DateFormat::kFull
                                            : style == DateStyle::kMedium ? icu::DateFormat::kMedium
                                                                          : icu::DateFormat::kShort;
  std::unique_ptr<icu::DateFormat> base(
      icu::DateFormat::createDateInstance(icu_style, formats.locale));
  auto* simple = dynamic_cast<icu::SimpleDateFormat*>(base.get());
  if (simple == nullptr) return std::nullopt;
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  const std::u16string plain = datepattern::PlainYearPattern(
      std::u16string_view(pattern.getBuffer(), static_cast<std::size_t>(pattern.length())));
  if (formats.format == nullptr && UseProlepticUtc(*simple)) {
    base.release();
    formats.format.reset(simple);
  }
  CompiledFormat compiled;
  compiled.push_back(
      Piece{icu::UnicodeString(plain.data(), static_cast<std::int32_t>(plain.size())), nullptr});
  return compiled;
}

// The cached format of a style or a picture, compiled on first use; nullptr when it cannot be
// built.
const CompiledFormat* FindStyle(LocaleFormats& formats, DateStyle style) {
  if (const auto found = formats.styles.find(style); found != formats.styles.end()) {
    return &found->second;
  }
  std::optional<CompiledFormat> compiled = CompileStyle(style, formats);
  if (!compiled) return nullptr;
  return &formats.styles.emplace(style, std::move(*compiled)).first->second;
}

const CompiledFormat* FindPicture(LocaleFormats& formats, std::u16string_view picture) {
  if (const auto found = formats.pictures.find(picture); found != formats.pictures.end()) {
    return &found->second;
  }
  std::optional<CompiledFormat> compiled = CompilePicture(picture, formats.locale);
  if (!compiled) return nullptr;
  if (formats.pictures.size() >= kMaxCachedPictures) formats.pictures.clear();
  return &formats.pictures.emplace(std::u16string(picture), std::move(*compiled)).first->second;
}

icu::UnicodeString FormatCompiled(const CompiledFormat& compiled, icu::SimpleDateFormat& format,
                                  CivilDay day) {
  const double midnight = static_cast<double>(day.count()) * 86400000.0;
  icu::UnicodeString text;
  for (const Piece& piece : compiled) {
    if (piece.short_year == nullptr) {
      format.applyPattern(piece.pattern);
      format.format(midnight, text);
    } else {
      piece.short_year->format(static_cast<std::int32_t>(day.year() % 100), text);
    }
  }
  return text;
}

// Formats the day with the format that `find` picks for the locale; empty when it fails.
template <typename Find>
std::u16string FormatWith(CivilDay day, std::string_view locale, Find find) {
  FormatterCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  const std::optional<std::string> id = IcuIdForLocale(locale, cache);
  if (!id) return {};
  LocaleFormats& formats = FormatsOf(*id, cache);
  const CompiledFormat* compiled = find(formats);
  if (compiled == nullptr) return {};
  icu::SimpleDateFormat* format = FormatOf(formats);
  if (format == nullptr) return {};
  const icu::UnicodeString text = FormatCompiled(*compiled, *format, day);
  return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

}  // namespace

std::u16string FormatDate(CivilDay day, DateStyle style, std::string_view locale) {
  return FormatWith(day, locale,
                    [style](LocaleFormats& formats) { return FindStyle(formats, style); });
}

std::u16string FormatDatePicture(CivilDay day, std::u16string_view picture,
                                 std::string_view locale) {
  return FormatWith(day, locale,
                    [picture](LocaleFormats& formats) { return FindPicture(formats, picture); });
}

void ResetDateFormatLocale() {
  FormatterCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  cache.default_locale.clear();
  cache.locales.clear();
}
