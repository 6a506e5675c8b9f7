// The calendar file where the end-to-end test cannot look: days that libical would silently
// write as a zero date are refused, and UIDs name predictions, never dates.
#include "interop/ics_calendar.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

CivilDay Date(int year, int month, int day) { return CivilDay(year, month, day); }

TEST(IcsCalendar, DaysBeyondTheLibrarysYearsAreRefused) {
  const LocalDateTime stamp{CivilDay(2024, 5, 15), 7, 30, 5};
  const struct {
    PredictedEvent event;
    LocalDateTime stamp;
    bool written;
  } cases[] = {
      {{EventKind::kPeriod, Date(3000, 11, 26), Date(3000, 11, 30), 1}, stamp, true},
      {{EventKind::kPeriod, Date(3000, 12, 27), Date(3000, 12, 31), 1}, stamp, false},  // ends 3001
      {{EventKind::kPeriod, Date(0, 12, 30), Date(1, 1, 2), 1}, stamp, false},
      {{EventKind::kPeriod, Date(2024, 3, 1), Date(2024, 3, 5), 1},
       LocalDateTime{Date(3001, 1, 1)},
       false},
  };
  for (const auto& c : cases) {
    std::string text = "untouched";
    EXPECT_EQ(WriteIcsCalendar({c.event}, c.stamp, IcsAlarm{}, &text), c.written)
        << c.event.first.year();
    EXPECT_EQ(text == "untouched", !c.written);
    EXPECT_EQ(text.find("00000000"), std::string::npos) << text;
  }
}

TEST(IcsCalendar, UidsNamePredictionsNotDates) {
  std::set<std::string> uids;
  for (const EventKind kind :
       {EventKind::kPeriod, EventKind::kFertileWindow, EventKind::kMostFertileDay}) {
    for (int number = 1; number <= 14; ++number) {
      const PredictedEvent early{kind, Date(2024, 3, 1), Date(2024, 3, 5), number};
      const PredictedEvent late{kind, Date(2031, 7, 20), Date(2031, 7, 24), number};
      EXPECT_EQ(EventUid(early), EventUid(late));
      EXPECT_TRUE(uids.insert(EventUid(early)).second) << EventUid(early);
    }
  }
}

}  // namespace
