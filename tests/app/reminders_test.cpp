// What a reminder says on a day, from the predictions of the month view: a period near (today,
// tomorrow, in N days), one late, a fertile window tomorrow, nothing for the recorded period
// itself; and which kept keys are worth keeping.
#include "app/reminders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/reminder_state.h"
#include "model/calendar.h"
#include "platform/dates/dateformat.h"

namespace {

LocalDateTime Day(int year, int month, int day) {
  return LocalDateTime{CivilDay(year, month, day), 9};
}

class RemindersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    ResetDateFormatLocale();
  }
};

// Initial settings, last period Friday 19 April 2024: predicted periods begin 17 May, 14 June,
// ...; the first fertile window runs 30 April to 4 May.
TEST_F(RemindersTest, SaysWhatIsDueOnEachDay) {
  const struct {
    LocalDateTime today;
    int days_before;
    bool fertile;
    std::vector<std::string> sentences;
    const char* first_key;  // the key of the first, where it is checked
  } cases[] = {
      {Day(2024, 5, 14), 2, false, {}, ""},
      {Day(2024, 5, 15),
       2,
       false,
       {"Period expected in 2 days (Friday, 17 May)"},
       "period-expected 2024-05-17"},
      {Day(2024, 5, 16), 2, false, {"Period expected tomorrow (Friday, 17 May)"}, ""},
      {Day(2024, 5, 17), 0, false, {"Period expected today (Friday, 17 May)"}, ""},
      {Day(2024, 5, 3), 14, false, {"Period expected in 14 days (Friday, 17 May)"}, ""},
      {Day(2024, 5, 19), 2, false, {}, ""},  // two days late: not yet
      {Day(2024, 5, 20),
       2,
       false,
       {"Period 3 days late? Record it in Cyclune when it starts"},
       "period-late 2024-05-17"},
      {Day(2024, 6, 12),
       2,
       false,
       {"Period 26 days late? Record it in Cyclune when it starts",
        "Period expected in 2 days (Friday, 14 June)"},
       ""},
      {Day(2024, 4, 29), 2, false, {}, ""},
      {Day(2024, 4, 29),
       2,
       true,
       {"Fertile window starts tomorrow (Tuesday, 30 April)"},
       "fertile-window 2024-04-30"},
      {Day(2024, 4, 19), 2, true, {}, ""},  // the recorded period is no prediction, nor late
      {Day(2024, 4, 23), 2, true, {}, ""},
  };
  for (const auto& c : cases) {
    CycleSettings cycle;
    cycle.LastPeriod = Day(2024, 4, 19);
    cycle.LastPeriodKnown = true;
    const std::vector<Reminder> due = DueReminders(cycle, c.today, c.days_before, c.fertile);
    std::vector<std::string> sentences;
    for (const Reminder& reminder : due) sentences.push_back(ReminderSentence(reminder));
    const std::string when =
        std::to_string(c.today.date.month()) + "-" + std::to_string(c.today.date.day());
    EXPECT_EQ(sentences, c.sentences) << when;
    if (c.first_key[0] != '\0' && !due.empty()) {
      EXPECT_EQ(ReminderKey(due[0]), c.first_key) << when;
    }
  }
  // No last period: nothing to say.
  EXPECT_TRUE(DueReminders(CycleSettings{}, Day(2024, 5, 15), 14, true).empty());
}

TEST_F(RemindersTest, KeepsTheKeysOfDaysThatCanStillBeDue) {
  const std::int64_t oldest = DayNumber(Day(2024, 5, 1));
  const std::vector<std::string> kept = KeptReminders(
      {"period-expected 2024-04-30", "period-late 2024-05-01", "fertile-window 2024-05-28",
       "period-expected 2024-02-30", "nonsense", "period-expected 2024-5-17"},
      oldest);
  EXPECT_EQ(kept,
            (std::vector<std::string>{"period-late 2024-05-01", "fertile-window 2024-05-28"}));
}

}  // namespace
