#include "model/cycle.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/calendar.h"

namespace {

LocalDateTime Date(int year, int month, int day) {
  // A time of day and a stale weekday, which the classification must ignore.
  return LocalDateTime{CivilDay(year, month, day), 9, 30, 15, 250};
}

struct Settings {
  std::int32_t cycle;
  std::int32_t menstrual;
  std::int32_t luteal;
  LocalDateTime last;
};

CycleSettings Apply(const Settings& s) {
  return CycleSettings{s.cycle, s.menstrual, s.luteal, true, s.last};
}

using Classify = std::int32_t (*)(const CycleSettings&, CivilDay, std::int32_t);

// The levels of every day of the month as digits, day 1 first.
std::string MonthLevels(Classify classify, const CycleSettings& cycle, int year, int month) {
  const CivilDay shown(year, month, 1);
  std::string levels;
  for (std::int32_t day = 1; day <= DaysInMonth(year, month); ++day) {
    levels += static_cast<char>('0' + classify(cycle, shown, day));
  }
  return levels;
}
std::int32_t BoyWindow(const CycleSettings& cycle, CivilDay month, std::int32_t day) {
  return IsBoyWindow(cycle, month, day) ? 1 : 0;
}

const LocalDateTime March1 = Date(2024, 3, 1);

TEST(Cycle, MonthsClassifiedDayByDay) {
  const struct {
    const char* name;
    Settings settings;
    int year, month;
    const char* critical;
    const char* fertility;
    const char* boy;
  } cases[] = {
      // Days:                            1234567890123456789012345678901
      {"initial, before",
       {28, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000000000000000000",
       "00000000000000000000000000000"},
      {"initial",
       {28, 5, 14, March1},
       2024,
       3,
       "2111100000000000000000000000211",
       "0000000000011121000000000000000",
       "0000000000000111000000000000000"},
      {"initial",
       {28, 5, 14, March1},
       2024,
       4,
       "110000000000000000000000021111",
       "000000001112100000000000000000",
       "000000000011100000000000000000"},
      {"initial",
       {28, 5, 14, March1},
       2025,
       2,
       "1111000000000000000000000002",
       "0000000000111210000000000000",
       "0000000000001110000000000000"},
      {"initial, last cycle",
       {28, 5, 14, March1},
       2025,
       3,
       "1111000000000000000000000000000",
       "0000000000111210000000000000000",
       "0000000000001110000000000000000"},
      {"initial, after",
       {28, 5, 14, March1},
       2025,
       4,
       "000000000000000000000000000000",
       "000000000000000000000000000000",
       "000000000000000000000000000000"},
      {"luteal -3",
       {28, 5, -3, March1},
       2024,
       3,
       "2111100000000000000000000000211",
       "0000000000000000000000000111210",
       "0000000000000000000000000001110"},
      {"cycle 3",
       {3, 5, 14, March1},
       2024,
       3,
       "2111111111111111111111111111111",
       "1211211211211211211211211211211",
       "1111111111111111111111111111111"},
      {"periods overlap",
       {28, 30, 14, March1},
       2024,
       3,
       "2111111111111111111111111111111",
       "0000000000011121000000000000000",
       "0000000000000111000000000000000"},
      {"cycle -400, anchor",
       {-400, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000010000000000000",
       "00000000000000010000000000000"},
      {"cycle -400",
       {-400, 5, 14, March1},
       2024,
       3,
       "2111100000000000000000000000000",
       "0000000000000000000000000000000",
       "0000000000000000000000000000000"},
      {"cycle INT_MIN, anchor",
       {INT_MIN, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000010000000000000",
       "00000000000000010000000000000"},
      {"cycle INT_MIN",
       {INT_MIN, 5, 14, March1},
       2024,
       3,
       "2111100000000000000000000000000",
       "0000000000000000000000000000000",
       "0000000000000000000000000000000"},
      {"cycle INT_MAX",
       {INT_MAX, 5, 14, March1},
       2024,
       3,
       "2111100000000000000000000000000",
       "0000000000000000000000000000000",
       "0000000000000000000000000000000"},
      {"cycle -1",
       {-1, 5, 14, March1},
       2024,
       3,
       "0000000000000000000000000000000",
       "0000000000000000000000000000000",
       "0000000000000000000000000000000"},
      {"cycle -1, anchor",
       {-1, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000000000000000000",
       "00000000000000000000000000000"},
      {"cycle 0",
       {0, 5, 14, March1},
       2024,
       3,
       "0000000000000000000000000000000",
       "0000000000000000000000000000000",
       "0000000000000000000000000000000"},
      {"cycle 0, anchor",
       {0, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000000000000000000",
       "00000000000000000000000000000"},
      {"cycle 1, anchor",
       {1, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000012111111111111",
       "00000000000000011111111111111"},
      {"cycle 1",
       {1, 5, 14, March1},
       2024,
       3,
       "2111111111111111111111111111111",
       "1111111111111111111111111111111",
       "1111111111111111111111111111111"},
      {"cycle 1, last ovulation",
       {1, 5, 14, March1},
       2025,
       2,
       "1111111111111111111111111111",
       "1111111111111111100000000000",
       "1111111111111111100000000000"},
      {"cycle 1, last period",
       {1, 5, 14, March1},
       2025,
       3,
       "1111100000000000000000000000000",
       "0000000000000000000000000000000",
       "0000000000000000000000000000000"},
      {"cycle 2, anchor",
       {2, 5, 14, March1},
       2024,
       2,
       "00000000000000000000000000000",
       "00000000000000011212121212121",
       "00000000000000001111111111111"},
      {"year 65535",
       {28, 5, 14, Date(65535, 12, 20)},
       65535,
       12,
       "0000000000000000000211110000000",
       "0000000000000000000000000000001",
       "0000000000000000000000000000000"},
      {"year 0",
       {28, 5, 14, Date(65535, 12, 20)},
       0,
       1,
       "0000000000000000211110000000000",
       "1121000000000000000000000001112",
       "0111000000000000000000000000011"},
  };
  for (const auto& c : cases) {
    const CycleSettings cycle = Apply(c.settings);
    EXPECT_EQ(MonthLevels(CriticalLevel, cycle, c.year, c.month), c.critical)
        << c.name << " " << c.year << "-" << c.month;
    EXPECT_EQ(MonthLevels(FertilityLevel, cycle, c.year, c.month), c.fertility)
        << c.name << " " << c.year << "-" << c.month;
    EXPECT_EQ(MonthLevels(BoyWindow, cycle, c.year, c.month), c.boy)
        << c.name << " " << c.year << "-" << c.month;
  }
}

TEST(Cycle, DaysOutsideTheMonthAreNeverClassifiedBySteppedDates) {
  const CycleSettings cycle = Apply({1, INT_MAX, 0, March1});
  const CivilDay february(2024, 2, 1);
  const std::int32_t days[] = {0, -1, 30, 32, INT_MIN, INT_MAX, 65536 + 16};
  for (const std::int32_t day : days) {
    EXPECT_EQ(CriticalLevel(cycle, february, day), 0) << day;
    EXPECT_EQ(FertilityLevel(cycle, february, day), 0) << day;
    EXPECT_FALSE(IsBoyWindow(cycle, february, day)) << day;
  }
}

// ---- The reference: the scans written out literally, dates by day-by-day stepping. ----

constexpr std::int64_t Cycle = DaysInYearCycle;

// AddDays by NextDay, one day at a time. DaysInYearCycle steps lead back to the same date (the
// calendar tests walk the whole cycle), so counts are reduced by it.
struct Stepper {
  LocalDateTime anchor;
  LocalDateTime here;
  std::int64_t at;
  LocalDateTime At(std::int64_t count) {
    count %= Cycle;
    if (count < at) {
      here = anchor;
      at = 0;
    }
    for (; at < count; ++at) here = NextDay(here);
    return here;
  }
};
Stepper StepperFrom(const LocalDateTime& anchor) { return Stepper{anchor, anchor, 0}; }

LocalDateTime StepBack(LocalDateTime date, std::int64_t n) {
  for (std::int64_t i = 0; i < n % Cycle; ++i) date = PreviousDay(date);
  return date;
}

std::uint64_t KeyOf(const LocalDateTime& d) {
  // [0, 2^25) for every valid date.
  return (static_cast<std::uint64_t>(d.date.year()) << 9) |
         (static_cast<std::uint64_t>(d.date.month()) << 5) | d.date.day();
}

struct Expected {
  bool fertility_found = false;
  std::int32_t fertility = 0;
  bool boy = false;
  bool critical_found = false;
  std::int32_t critical = 0;
};

using Month = std::pair<int, int>;

// The ovulation anchor, LastPeriod stepped back LutealPhase days.
LocalDateTime OvulationAnchor(const Settings& s) {
  return s.luteal > 0 ? StepBack(s.last, s.luteal) : s.last;
}

// The days being classified, with a bit per possible key so that the long scans skip the
// dates of other months cheaply.
struct Targets {
  std::map<std::uint64_t, Expected> days;
  std::vector<bool> wanted = std::vector<bool>(std::size_t{1} << 25);
  Expected* Find(const LocalDateTime& d) {
    if (!wanted[KeyOf(d)]) return nullptr;
    return &days.at(KeyOf(d));
  }
};

std::map<std::uint64_t, Expected> LiteralScan(const Settings& s, const LocalDateTime& anchor,
                                              const std::vector<Month>& months) {
  Targets targets;
  for (const auto& [year, month] : months) {
    for (int day = 1; day <= DaysInMonth(year, month); ++day) {
      targets.days[KeyOf(Date(year, month, day))];
      targets.wanted[KeyOf(Date(year, month, day))] = true;
    }
  }
  std::map<std::uint64_t, Expected>& days = targets.days;
  if (s.cycle == 0 || 365 / s.cycle < 0) return days;
  const std::int64_t cycles = 365 / s.cycle;
  Stepper ovulation = StepperFrom(anchor);
  for (std::int64_t k = 1; k <= cycles + 1; ++k) {
    for (std::int64_t j = -3; j <= 1; ++j) {
      const std::int64_t count = k * s.cycle + j;
      Expected* found = targets.Find(count <= 0 ? anchor : ovulation.At(count));
      if (found == nullptr) continue;
      Expected& e = *found;
      if (!e.fertility_found) e.fertility = j == 0 ? 2 : 1;
      e.fertility_found = true;
      if (j >= -1) e.boy = true;  // a match at -3 or -2 goes on scanning
    }
  }
  std::size_t open = days.size();  // the period scan stops once every day is decided
  Stepper period = StepperFrom(s.last);
  for (std::int64_t i = 0; i <= cycles && open > 0; ++i) {
    for (std::int64_t j = 0; j < s.menstrual && open > 0; ++j) {
      const std::int64_t count = i * s.cycle + j;
      Expected* found = targets.Find(count <= 0 ? s.last : period.At(count));
      if (found == nullptr || found->critical_found) continue;
      found->critical_found = true;
      found->critical = j == 0 ? 2 : 1;
      --open;
    }
  }
  return days;
}

// The months around a date: the one before, its own and the one after.
void AddMonthsAround(const LocalDateTime& d, std::vector<Month>& months) {
  const int index = d.date.year() * 12 + d.date.month() - 1 + 65536 * 12;
  for (int i = index - 1; i <= index + 1; ++i) months.emplace_back(i / 12 % 65536, i % 12 + 1);
}

// The months where the scans begin and end, found by stepping.
std::vector<Month> SampleMonths(const Settings& s, const LocalDateTime& anchor) {
  std::vector<Month> months;
  AddMonthsAround(s.last, months);
  AddMonthsAround(anchor, months);
  if (s.cycle > 0) {
    const std::int64_t cycles = 365 / s.cycle;
    Stepper ovulation = StepperFrom(anchor);
    AddMonthsAround(ovulation.At(s.cycle), months);
    AddMonthsAround(ovulation.At((cycles + 1) * s.cycle), months);
    Stepper period = StepperFrom(s.last);
    AddMonthsAround(period.At(cycles * s.cycle), months);
  }
  return months;
}

void ExpectMatchesLiteralScan(const char* name, const Settings& s) {
  const LocalDateTime anchor = OvulationAnchor(s);
  const std::vector<Month> months = SampleMonths(s, anchor);
  const auto expected = LiteralScan(s, anchor, months);
  const CycleSettings cycle = Apply(s);
  int failures = 0;
  for (const auto& [year, month] : months) {
    const CivilDay shown(year, month, 1);
    for (int day = 1; day <= DaysInMonth(year, month) && failures < 5; ++day) {
      const Expected& e = expected.at(KeyOf(Date(year, month, day)));
      const std::int32_t fertility = FertilityLevel(cycle, shown, day);
      const bool boy = IsBoyWindow(cycle, shown, day);
      const std::int32_t critical = CriticalLevel(cycle, shown, day);
      const bool ok = fertility == e.fertility && boy == e.boy && critical == e.critical;
      if (!ok) {
        ADD_FAILURE() << name << ": " << day << "." << month << "." << year << " expected "
                      << e.fertility << "/" << e.boy << "/" << e.critical << ", got " << fertility
                      << "/" << boy << "/" << critical;
        ++failures;
      }
    }
  }
}

TEST(Cycle, ExtremeSettingsMatchTheLiteralScan) {
  const struct {
    const char* name;
    Settings settings;
  } cases[] = {
      {"initial", {28, 5, 14, March1}},
      {"cycle 1", {1, 5, 14, March1}},
      {"cycle 2", {2, 5, 14, March1}},
      {"cycle 3", {3, 5, 14, March1}},
      {"cycle 365", {365, 5, 14, March1}},
      {"cycle 366", {366, 5, 14, March1}},
      {"cycle -366", {-366, 5, 14, March1}},
      {"periods overlap", {28, 40, 14, March1}},
      {"luteal beyond cycle", {5, 3, 9, March1}},
      {"no menstrual days", {28, 0, 0, March1}},
      {"negative settings", {28, -3, -3, March1}},
      {"cycle 10^6", {1000000, 1000000, -5, March1}},
      {"cycle INT_MIN", {INT_MIN, INT_MAX, INT_MIN, March1}},
      {"cycle INT_MAX", {INT_MAX, 7, 14, March1}},
      {"cycle 1, endless period", {1, INT_MAX, INT_MAX, March1}},
      {"year wrap", {28, 5, 14, Date(65535, 12, 20)}},
      {"anchor before year 0", {30, 5, 40, Date(0, 1, 5)}},
  };
  for (const auto& c : cases) ExpectMatchesLiteralScan(c.name, c.settings);
}

TEST(Cycle, RandomSettingsMatchTheLiteralScan) {
  std::mt19937 random(1503);
  std::uniform_int_distribution<std::int32_t> cycle(-400, 400);
  std::uniform_int_distribution<std::int32_t> menstrual(-2, 40);
  std::uniform_int_distribution<std::int32_t> luteal(-20, 60);
  std::uniform_int_distribution<int> year(0, 65535);
  std::uniform_int_distribution<int> month(1, 12);
  for (int i = 0; i < 12; ++i) {
    const int y = year(random);
    const int m = month(random);
    const int d = std::uniform_int_distribution<int>(1, DaysInMonth(y, m))(random);
    const Settings s{cycle(random), menstrual(random), luteal(random), Date(y, m, d)};
    const std::string name = "random " + std::to_string(s.cycle) + "/" +
                             std::to_string(s.menstrual) + "/" + std::to_string(s.luteal) +
                             " from " + std::to_string(d) + "." + std::to_string(m) + "." +
                             std::to_string(y);
    ExpectMatchesLiteralScan(name.c_str(), s);
  }
}

}  // namespace
