#include "platform/dates/dateformat.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

CivilDay Date(int y, int mo, int d) { return CivilDay(y, mo, d); }

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The day by the picture when there is one, else in the style.
std::string Format(CivilDay date, DateStyle style, const char16_t* picture,
                   const char* locale = "") {
  return Utf8(picture != nullptr ? FormatDatePicture(date, picture, locale)
                                 : FormatDate(date, style, locale));
}

// Each test starts in English and leaves the environment as it found it.
class DateFormat : public testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < kVariables.size(); ++i) {
      const char* value = std::getenv(kVariables[i]);
      if (value != nullptr) saved_[i] = value;
    }
    UseLocale("en_US.UTF-8", nullptr, nullptr);
  }
  void TearDown() override {
    for (std::size_t i = 0; i < kVariables.size(); ++i) Set(kVariables[i], saved_[i]);
    ResetDateFormatLocale();
  }
  static void UseLocale(const char* lc_all, const char* lc_time, const char* lang) {
    Set("LC_ALL", lc_all ? std::optional<std::string>(lc_all) : std::nullopt);
    Set("LC_TIME", lc_time ? std::optional<std::string>(lc_time) : std::nullopt);
    Set("LANG", lang ? std::optional<std::string>(lang) : std::nullopt);
    ResetDateFormatLocale();
  }

 private:
  static constexpr std::array<const char*, 3> kVariables = {"LC_ALL", "LC_TIME", "LANG"};
  static void Set(const char* name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::array<std::optional<std::string>, 3> saved_;
};

TEST_F(DateFormat, EnglishPicturesAndStyles) {
  struct Case {
    CivilDay date;
    DateStyle style;
    const char16_t* picture;
    const char* text;
  };
  const Case cases[] = {
      {Date(2024, 9, 1), DateStyle::kShort, u"MMMM yyyy", "September 2024"},
      {Date(2024, 9, 30), DateStyle::kShort, u"MMMM yyyy", "September 2024"},
      {Date(2026, 9, 30), DateStyle::kLong, nullptr, "Wednesday, September 30, 2026"},
      {Date(2026, 9, 30), DateStyle::kMedium, nullptr, "Sep 30, 2026"},
      {Date(2026, 9, 30), DateStyle::kShort, nullptr, "9/30/2026"},
      {Date(2026, 9, 30), DateStyle::kShort, nullptr, "9/30/2026"},
      {Date(2005, 3, 7), DateStyle::kShort, u"d/M/y", "7/3/5"},
      {Date(2005, 3, 7), DateStyle::kShort, u"dd.MM.yy", "07.03.05"},
      {Date(2005, 3, 7), DateStyle::kShort, u"dddd d MMM yyyy", "Monday 7 Mar 2005"},
      {Date(2024, 2, 29), DateStyle::kShort, u"'Week of' d MMMM", "Week of 29 February"},
      {Date(2024, 2, 29), DateStyle::kShort, u"MMMM''yy, h", "February'24, h"},
      {Date(2024, 2, 29), DateStyle::kShort, u"''MMMM'''", "'February'"},
      {Date(2024, 2, 29), DateStyle::kShort, u"'it''s' MMMM", "it's February"},
      {Date(2024, 2, 29), DateStyle::kShort, u"", ""},
      // Every year prints as itself, without an era, in the proleptic Gregorian calendar.
      {Date(0, 1, 1), DateStyle::kLong, nullptr, "Saturday, January 1, 0"},
      {Date(0, 1, 1), DateStyle::kShort, u"MMMM yyyy yy", "January 0000 00"},
      {Date(1, 1, 1), DateStyle::kLong, nullptr, "Monday, January 1, 1"},
      {Date(1000, 1, 1), DateStyle::kLong, nullptr, "Wednesday, January 1, 1000"},
      {Date(1582, 10, 10), DateStyle::kLong, nullptr, "Sunday, October 10, 1582"},
      {Date(9999, 12, 31), DateStyle::kLong, nullptr, "Friday, December 31, 9999"},
      {Date(10000, 1, 1), DateStyle::kShort, u"MMMM yyyy", "January 10000"},
      {Date(65535, 12, 31), DateStyle::kLong, nullptr, "Tuesday, December 31, 65535"},
      {Date(65535, 12, 31), DateStyle::kShort, nullptr, "12/31/65535"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.date, c.style, c.picture), c.text);
}

// A locale's formats share one ICU format, built by whichever request comes first: a style's
// or a picture's. Either way every later request gets its own pattern and the proleptic UTC
// calendar (10 October 1582 is a date of the Julian gap in ICU's default calendar).
TEST_F(DateFormat, TextsDoNotDependOnWhichRequestCameFirst) {
  struct Request {
    DateStyle style;
    const char16_t* picture;
    const char* text;
  };
  const Request requests[] = {
      {DateStyle::kLong, nullptr, "Sunday, October 10, 1582"},
      {DateStyle::kShort, u"ddd d MMMM yyyy", "Sun 10 October 1582"},
      {DateStyle::kShort, nullptr, "10/10/1582"},
      {DateStyle::kShort, u"MMMM yy", "October 82"},
      {DateStyle::kMedium, nullptr, "Oct 10, 1582"},
  };
  for (std::size_t first = 0; first < std::size(requests); ++first) {
    ResetDateFormatLocale();
    for (std::size_t i = 0; i < std::size(requests); ++i) {
      const Request& r = requests[(first + i) % std::size(requests)];
      EXPECT_EQ(Format(Date(1582, 10, 10), r.style, r.picture), r.text) << "first " << first;
    }
  }
}

TEST_F(DateFormat, WeekdayHeaderInitials) {
  const char initials[] = "SMTWTFS";
  for (int day = 1; day <= 7; ++day) {
    const std::string name = Format(Date(1995, 1, day), DateStyle::kShort, u"ddd");
    ASSERT_EQ(name.size(), 3u) << name;
    EXPECT_EQ(name[0], initials[day - 1]) << name;
  }
}

TEST_F(DateFormat, LongDatesOfFourDigitYearsFitTheReportCaption) {
  // The report caption holds 29 units: the longest English long date of a 4-digit year fits,
  // a five-digit year does not.
  EXPECT_EQ(FormatDate(Date(2026, 9, 30), DateStyle::kLong).size(), 29u);
  EXPECT_EQ(FormatDate(Date(10000, 9, 27), DateStyle::kLong).size(), 30u);
}

TEST_F(DateFormat, ALocaleWithoutDateDataGivesNothing) {
  EXPECT_EQ(Format(Date(2024, 9, 12), DateStyle::kLong, nullptr, "xx_YY"), "");
  EXPECT_EQ(Format(Date(2024, 9, 12), DateStyle::kShort, u"MMMM", "xx_YY"), "");
}

TEST_F(DateFormat, LocaleComesFromTheEnvironment) {
  struct Case {
    const char* lc_all;
    const char* lc_time;
    const char* lang;
    const char* title;  // "MMMM yyyy" of October 2024
  };
  const Case cases[] = {
      {"de_DE.UTF-8@euro", nullptr, "fr_FR.UTF-8", "Oktober 2024"},
      {nullptr, "de_DE.UTF-8", "fr_FR.UTF-8", "Oktober 2024"},
      {"", "", "fr_FR.UTF-8", "octobre 2024"},
      {"C", "de_DE.UTF-8", nullptr, "October 2024"},
      {nullptr, "POSIX", "de_DE", "October 2024"},
      {nullptr, nullptr, "C.UTF-8", "October 2024"},
      {nullptr, nullptr, nullptr, "October 2024"},
      {"xx_YY.UTF-8", nullptr, nullptr, "October 2024"},   // no data: English
      {"de_YY.UTF-8", nullptr, nullptr, "Oktober 2024"},   // the language's data
      {"iw_IL.UTF-8", nullptr, nullptr, "אוקטובר 2024"},   // the language's old code
      {"de_DE;rm -rf", nullptr, nullptr, "October 2024"},  // not a locale name
      {"sr_RS.UTF-8@latin", nullptr, nullptr, "oktobar 2024"},
      {"sr_RS.UTF-8", nullptr, nullptr, "октобар 2024"},
      {"ru_RU.UTF-8", nullptr, nullptr, "октябрь 2024"},
  };
  for (const Case& c : cases) {
    UseLocale(c.lc_all, c.lc_time, c.lang);
    EXPECT_EQ(Format(Date(2024, 10, 5), DateStyle::kShort, u"MMMM yyyy"), c.title)
        << (c.lc_all ? c.lc_all : "-") << " " << (c.lc_time ? c.lc_time : "-");
  }
}

TEST_F(DateFormat, OtherLocales) {
  UseLocale("de_DE.UTF-8", nullptr, nullptr);
  EXPECT_EQ(Format(Date(2024, 9, 1), DateStyle::kShort, u"MMMM yyyy"), "September 2024");
  EXPECT_EQ(Format(Date(2026, 9, 30), DateStyle::kLong, nullptr), "Mittwoch, 30. September 2026");
  EXPECT_EQ(Format(Date(2026, 9, 30), DateStyle::kShort, nullptr), "30.09.2026");
  // A month name inside a date takes the form a date needs (Russian: genitive).
  UseLocale("ru_RU.UTF-8", nullptr, nullptr);
  EXPECT_EQ(Format(Date(2026, 9, 30), DateStyle::kShort, u"d MMMM yyyy"), "30 сентября 2026");
  // The Gregorian year without the era that the Thai long date names.
  UseLocale("th_TH.UTF-8", nullptr, nullptr);
  EXPECT_EQ(Format(Date(2026, 9, 30), DateStyle::kLong, nullptr), "วันพุธที่ 30 กันยายน 2026");
  // A locale named by the caller overrides the environment.
  EXPECT_EQ(Format(Date(2026, 9, 30), DateStyle::kLong, nullptr, "en_US"),
            "Wednesday, September 30, 2026");
  EXPECT_EQ(Format(Date(2026, 9, 30), DateStyle::kLong, nullptr, "de_DE"),
            "Mittwoch, 30. September 2026");
}

}  // namespace
