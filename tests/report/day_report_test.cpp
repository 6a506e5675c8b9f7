#include "report/day_report.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/dates/dateformat.h"

namespace {

LocalDateTime At(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour = 9,
                 std::int32_t minute = 0) {
  return LocalDateTime{CivilDay(year, month, day), hour, minute};
}

std::vector<std::u16string> Lines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back(text.substr(start));  // an unterminated tail
  return lines;
}

class DayReportTest : public ::testing::Test {
 protected:
  void SetUp() override { UseLocale("en_US.UTF-8"); }
  void TearDown() override { UseLocale("en_US.UTF-8"); }
  static void UseLocale(const char* name) {
    setenv("LC_ALL", name, 1);
    ResetDateFormatLocale();
  }
  void SetCycle(LocalDateTime last_period, LocalDateTime selected, std::int32_t cycle_length) {
    state_.LastPeriod = last_period;
    state_.SelectedDate = selected;
    state_.CycleLength = cycle_length;
    state_.LastPeriodKnown = 1;
  }

  // The report that Enter on the selected day opens.
  DayReport Compose() const {
    return ComposeDayReport(CycleSettingsOf(state_), state_.SelectedDate);
  }

  CalendarState state_;
};

TEST_F(DayReportTest, FirstDayOfCycleGivesTheWholeReport) {
  SetCycle(At(2026, 1, 1), At(2026, 1, 1), 28);
  const DayReport report = Compose();
  EXPECT_EQ(report.caption, u"Thursday, January 1, 2026");
  EXPECT_EQ(report.text,
            u"Critical day\r\n"
            u"Recommended to abstain\r\n"
            u"Possible Due Date: Thursday, October 8, 2026\r\n"
            u"Western Zodiac: Libra\r\n"
            u"Chinese Zodiac: Horse\r\n");
}

TEST_F(DayReportTest, WithoutLastPeriodAsksForOneUnderTheSelectedDay) {
  state_.SelectedDate = At(2026, 9, 30);
  state_.CycleLength = 0;  // never consulted
  const DayReport report = Compose();
  EXPECT_EQ(report.caption, u"Wednesday, September 30, 2026");
  EXPECT_EQ(report.text, u"Please set last period");
}

struct ReportCase {
  const char* name;
  LocalDateTime last_period;
  LocalDateTime selected;
  std::int32_t cycle_length;
  const char16_t* status;  // nullptr: not checked (the classification's own choice)
  const char16_t* hint;
  const char16_t* due;
  const char16_t* western;
  const char16_t* chinese;
};

const ReportCase kReportCases[] = {
    {"35th day of a cycle", At(2026, 1, 1), At(2026, 2, 5), 28, u"Non-fertile day",
     u"Not likely to conceive", u"Thursday, November 5, 2026", u"Scorpio", u"Horse"},
    {"11th day: 280 days after the last period", At(2026, 1, 1), At(2026, 1, 11), 28,
     u"Non-fertile day", u"Not likely to conceive", u"Thursday, October 8, 2026", u"Libra",
     u"Horse"},
    {"5 days before the last period: +285", At(2026, 1, 6), At(2026, 1, 1), 28, u"Non-fertile day",
     u"Not likely to conceive", u"Tuesday, October 13, 2026", u"Libra", u"Horse"},
    {"30 days before the last period: +282", At(2026, 1, 31), At(2026, 1, 1), 28,
     u"Non-fertile day", u"Not likely to conceive", u"Saturday, October 10, 2026", u"Libra",
     u"Horse"},
    {"earlier time of day counts 9 days: +271", At(2026, 1, 1, 15), At(2026, 1, 11, 9), 28,
     u"Non-fertile day", u"Not likely to conceive", u"Friday, October 9, 2026", u"Libra", u"Horse"},
    {"negative length truncates toward zero: +278", At(2026, 1, 1), At(2026, 1, 31), -28,
     u"Non-fertile day", u"Not likely to conceive", u"Thursday, November 5, 2026", u"Scorpio",
     u"Horse"},
    {"length 0: 280 days after the last period", At(2026, 1, 1), At(2026, 1, 11), 0, nullptr,
     nullptr, u"Thursday, October 8, 2026", u"Libra", u"Horse"},
    {"length -1: every day starts a cycle", At(2026, 1, 1), At(2026, 1, 11), -1, nullptr, nullptr,
     u"Sunday, October 18, 2026", u"Libra", u"Horse"},
    {"length INT_MIN", At(2026, 1, 1), At(2026, 1, 11), INT_MIN, nullptr, nullptr,
     u"Thursday, October 8, 2026", u"Libra", u"Horse"},
    {"length INT_MAX", At(2026, 1, 1), At(2026, 1, 11), INT_MAX, nullptr, nullptr,
     u"Thursday, October 8, 2026", u"Libra", u"Horse"},
    {"due date past 9999 falls back to the medium date", At(9999, 12, 22), At(9999, 12, 22), 28,
     u"Critical day", u"Recommended to abstain", u"Sep 27, 10000", u"Libra", u"Rat"},
    {"selected day in the last year wraps into year 0", At(65535, 12, 31, 9), At(65535, 12, 31, 9),
     28, u"Critical day", u"Recommended to abstain", u"Friday, October 6, 0", u"Libra", u"Monkey"},
};

TEST_F(DayReportTest, ComposesFiveLinesFromTheDueDate) {
  for (const ReportCase& c : kReportCases) {
    SCOPED_TRACE(c.name);
    SetCycle(c.last_period, c.selected, c.cycle_length);
    const DayReport report = Compose();
    EXPECT_FALSE(report.caption.empty());
    EXPECT_LE(report.caption.size(), 29u);
    ASSERT_EQ(report.text.substr(report.text.size() - 2), u"\r\n");
    const std::vector<std::u16string> lines = Lines(report.text);
    ASSERT_EQ(lines.size(), 5u);
    if (c.status != nullptr) {
      EXPECT_EQ(lines[0], c.status);
      EXPECT_EQ(lines[1], c.hint);
    }
    EXPECT_EQ(lines[2].substr(0, 19), u"Possible Due Date: ");
    EXPECT_GT(lines[2].size(), 19u);
    if (c.due != nullptr) {
      EXPECT_EQ(lines[2].substr(19), c.due);
    }
    EXPECT_EQ(lines[3], std::u16string(u"Western Zodiac: ") + c.western);
    EXPECT_EQ(lines[4], std::u16string(u"Chinese Zodiac: ") + c.chinese);
  }
}

struct StatusCase {
  std::int32_t menstrual_days;
  std::int32_t day;  // of March 2024; the last period is 1 March, ovulation on the 15th
  const char16_t* status;
  const char16_t* hint;
};

const StatusCase kStatusCases[] = {
    {5, 1, u"Critical day", u"Recommended to abstain"},
    {5, 3, u"Critical day", u"Recommended to abstain"},
    {5, 12, u"Fertile day", u"Good chance to conceive a girl"},
    {5, 13, u"Fertile day", u"Good chance to conceive a girl"},
    {5, 14, u"Fertile day", u"Good chance to conceive a boy"},
    {5, 15, u"Most fertile day", u"Good chance to conceive a boy"},
    {5, 16, u"Fertile day", u"Good chance to conceive a boy"},
    {5, 20, u"Non-fertile day", u"Not likely to conceive"},
    {5, 29, u"Critical day", u"Recommended to abstain"},
    // A menstrual day inside the fertile window is critical, even on the ovulation day.
    {20, 15, u"Critical day", u"Recommended to abstain"},
    {14, 14, u"Critical day", u"Recommended to abstain"},
    {13, 14, u"Fertile day", u"Good chance to conceive a boy"},
};

TEST_F(DayReportTest, StatusRulesTakeTheFirstThatHolds) {
  for (const StatusCase& c : kStatusCases) {
    SCOPED_TRACE(testing::Message() << "menstrual days " << c.menstrual_days << ", day " << c.day);
    SetCycle(At(2024, 3, 1), At(2024, 3, c.day), 28);
    state_.MenstrualDays = c.menstrual_days;
    const std::vector<std::u16string> lines = Lines(Compose().text);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], c.status);
    EXPECT_EQ(lines[1], c.hint);
  }
}

TEST_F(DayReportTest, LongestReportFitsWithA29UnitDueDate) {
  // Catalan has a 29-unit long date for 13 January 2029 (2029 mod 12 = 1); the selected day
  // is the ovulation day 266 days before it.
  UseLocale("ca_ES.UTF-8");
  SetCycle(At(2028, 4, 8), At(2028, 4, 22), 28);
  const DayReport report = Compose();
  EXPECT_EQ(report.text,
            u"Most fertile day\r\n"
            u"Good chance to conceive a boy\r\n"
            u"Possible Due Date: dissabte, 13 de gener de 2029\r\n"
            u"Western Zodiac: Capricorn\r\n"
            u"Chinese Zodiac: Monkey/Chicken\r\n");
  EXPECT_EQ(report.text.size(), 158u);
  EXPECT_LE(report.caption.size(), 29u);
}

struct DateTextCase {
  const char* locale;
  LocalDateTime date;
  const char16_t* text;
};

const DateTextCase kDateTextCases[] = {
    {"en_US.UTF-8", At(2026, 9, 30), u"Wednesday, September 30, 2026"},  // 29 units: kept
    {"en_US.UTF-8", At(10000, 9, 27), u"Sep 27, 10000"},  // the long date would take 30
    {"es_ES.UTF-8", At(2029, 1, 10), u"10 ene 2029"},     // "miércoles, 10 de enero de 2029"
    {"ca_ES.UTF-8", At(2029, 1, 13), u"dissabte, 13 de gener de 2029"},
};

TEST_F(DayReportTest, DateTooLongForItsBufferFallsBackToTheMediumStyle) {
  for (const DateTextCase& c : kDateTextCases) {
    SCOPED_TRACE(c.locale);
    UseLocale(c.locale);
    EXPECT_EQ(ReportDateText(c.date.date), c.text);
  }
}

TEST_F(DayReportTest, CaptionFallsBackRatherThanStayingEmpty) {
  state_.SelectedDate = At(10000, 9, 27);
  EXPECT_EQ(Compose().caption, u"Sep 27, 10000");
}

struct OffsetCase {
  std::int64_t days;
  std::int32_t cycle_length;
  std::int64_t offset;
};

constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

constexpr OffsetCase kOffsetCases[] = {
    {0, 28, 280},
    {10, 28, 270},
    {27, 28, 253},
    {28, 28, 280},
    {35, 28, 273},
    {-5, 28, 285},
    {-28, 28, 280},
    {-30, 28, 282},
    {30, -28, 278},
    {-30, -28, 282},
    {10, 0, 270},
    {-100, 0, 380},
    {400, 0, -120},
    {12345, 1, 280},
    {12345, -1, 280},
    {kMin64, -1, 280},
    {kMax64, -1, 280},
    {10, INT_MAX, 270},
    {-10, INT_MAX, 290},
    {10, INT_MIN, 270},
    {-10, INT_MIN, 290},
    {kMin64, INT_MIN, 280},
    {kMax64, INT_MIN, 280 - INT_MAX},
    {kMin64, INT_MAX, 282},
    // Length 0 with a count no two dates give: reduced by the 65536-year cycle, no overflow.
    {kMin64, 0, 23292408},
};

TEST(DueDateOffset, RemainderInTheCycleSetsTheOffset) {
  for (const OffsetCase& c : kOffsetCases) {
    EXPECT_EQ(DueDateOffset(c.days, c.cycle_length), c.offset)
        << "days " << c.days << ", length " << c.cycle_length;
  }
}

struct DueDateCase {
  LocalDateTime selected;
  std::int64_t offset;
  LocalDateTime due;
};

const DueDateCase kDueDateCases[] = {
    {At(2026, 1, 1, 9, 30), 280, {CivilDay(2026, 10, 8), 9, 30, 0, 0}},
    {At(2026, 1, 1, 23, 59), -1, {CivilDay(2025, 12, 31), 23, 59, 0, 0}},
    // Crossing the end of the tick span (about May 58455).
    {At(58455, 1, 1, 9), 280, {CivilDay(58455, 10, 8), 9, 0, 0, 0}},
    // The 16-bit year wraps both ways, as the calendar's day steps do.
    {At(65535, 12, 31, 9, 30), 280, {CivilDay(0, 10, 6), 9, 30, 0, 0}},
    {At(0, 1, 1, 9, 30), -1, {CivilDay(65535, 12, 31), 9, 30, 0, 0}},
    {At(0, 1, 1, 0, 0), 0, {CivilDay(0, 1, 1), 0, 0, 0, 0}},
};

TEST(DueDate, KeepsTimeOfDay) {
  for (const DueDateCase& c : kDueDateCases) {
    const LocalDateTime due = DueDate(c.selected, c.offset);
    SCOPED_TRACE(testing::Message() << c.selected.date.year() << "-" << c.selected.date.month()
                                    << "-" << c.selected.date.day() << " + " << c.offset);
    EXPECT_EQ(due.date.year(), c.due.date.year());
    EXPECT_EQ(due.date.month(), c.due.date.month());
    EXPECT_EQ(due.date.day(), c.due.date.day());
    EXPECT_EQ(due.hour, c.due.hour);
    EXPECT_EQ(due.minute, c.due.minute);
  }
}

TEST(DueDate, SameDateAsCalendarStepsAcrossAllYears) {
  for (std::int32_t year = 0; year <= 65535; year += 331) {
    for (const std::int64_t offset : {-100000, -366, -1, 0, 1, 280, 3000, 2000000}) {
      const LocalDateTime selected = At(static_cast<std::int32_t>(year), 2, 28, 17, 45);
      const LocalDateTime due = DueDate(selected, offset);
      const LocalDateTime expected = ShiftDays(selected, offset);
      ASSERT_EQ(due.date.year(), expected.date.year()) << year << " + " << offset;
      ASSERT_EQ(due.date.month(), expected.date.month()) << year << " + " << offset;
      ASSERT_EQ(due.date.day(), expected.date.day()) << year << " + " << offset;
      ASSERT_EQ(due.hour, 17);
      ASSERT_EQ(due.minute, 45);
    }
  }
}

}  // namespace
