// The calendar file as calendar programs read it: parsed back by libical, every event is an
// all-day event from its first day to the day after its last, private, transparent and
// stamped; lines end in CRLF and are folded at 75 octets; UIDs name predictions, not dates.
#include "interop/ics_calendar.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <set>
#include <string>
#include <vector>

namespace {

SYSTEMTIME Date(int year, int month, int day) {
  return SYSTEMTIME{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                    0, 0, 0, 0};
}

const SYSTEMTIME kStamp{2024, 5, 3, 15, 7, 30, 5, 0};

std::string DateText(icaltimetype t) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d%s", t.year, t.month, t.day,
                t.is_date ? "" : "T");
  return text;
}

TEST(IcsCalendar, EventsReadBackAsWritten) {
  const std::vector<PredictedEvent> events = {
      {EventKind::kPeriod, Date(2024, 12, 29), Date(2025, 1, 2), 1},      // over the year end
      {EventKind::kFertileWindow, Date(2024, 2, 26), Date(2024, 3, 1), 1},  // over 29 February
      {EventKind::kMostFertileDay, Date(3000, 11, 30), Date(3000, 11, 30), 7},
  };
  const struct {
    const char* uid;
    const char* start;
    const char* end;
    const char* summary;
  } expected[] = {
      {"period-1@predictions.cyclune", "20241229", "20250103", "Predicted period"},
      {"fertile-window-1@predictions.cyclune", "20240226", "20240302", "Predicted fertile window"},
      {"most-fertile-day-7@predictions.cyclune", "30001130", "30001201",
       "Predicted most fertile day"},
  };
  std::string text;
  ASSERT_TRUE(WriteIcsCalendar(events, kStamp, &text));
  icalcomponent* calendar = icalparser_parse_string(text.c_str());
  ASSERT_NE(calendar, nullptr);
  EXPECT_NE(icalcomponent_get_first_property(calendar, ICAL_PRODID_PROPERTY), nullptr);
  std::size_t i = 0;
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       event != nullptr;
       event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT), ++i) {
    ASSERT_LT(i, 3u);
    EXPECT_STREQ(icalcomponent_get_uid(event), expected[i].uid);
    // The properties' own values: the component's getters give up on the year 3000.
    EXPECT_EQ(DateText(icalproperty_get_dtstart(
                  icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY))),
              expected[i].start);
    EXPECT_EQ(DateText(icalproperty_get_dtend(
                  icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY))),
              expected[i].end);
    EXPECT_STREQ(icalcomponent_get_summary(event), expected[i].summary);
    const icaltimetype stamp = icalcomponent_get_dtstamp(event);
    EXPECT_TRUE(icaltime_is_utc(stamp));
    EXPECT_EQ(stamp.hour * 10000 + stamp.minute * 100 + stamp.second, 73005);
    icalproperty* class_property = icalcomponent_get_first_property(event, ICAL_CLASS_PROPERTY);
    ASSERT_NE(class_property, nullptr);
    EXPECT_EQ(icalproperty_get_class(class_property), ICAL_CLASS_PRIVATE);
    icalproperty* transp = icalcomponent_get_first_property(event, ICAL_TRANSP_PROPERTY);
    ASSERT_NE(transp, nullptr);
    EXPECT_EQ(icalproperty_get_transp(transp), ICAL_TRANSP_TRANSPARENT);
  }
  EXPECT_EQ(i, 3u);
  icalcomponent_free(calendar);
}

// A day the library cannot write fails the whole file rather than turn into a zero date.
TEST(IcsCalendar, DaysBeyondTheLibrarysYearsAreRefused) {
  const PredictedEvent cases[] = {
      {EventKind::kPeriod, Date(3000, 12, 27), Date(3000, 12, 31), 1},  // ends in 3001
      {EventKind::kPeriod, Date(3001, 1, 1), Date(3001, 1, 5), 1},
      {EventKind::kPeriod, Date(0, 12, 30), Date(1, 1, 2), 1},
  };
  for (const PredictedEvent& event : cases) {
    std::string text = "untouched";
    EXPECT_FALSE(WriteIcsCalendar({event}, kStamp, &text)) << event.first.wYear;
    EXPECT_EQ(text, "untouched");
  }
}

TEST(IcsCalendar, LinesEndInCrLfAndAreFolded) {
  std::vector<PredictedEvent> events;
  for (int n = 1; n <= 30; ++n) {
    events.push_back({EventKind::kFertileWindow, Date(2024, 1, n), Date(2024, 1, n), n});
  }
  std::string text;
  ASSERT_TRUE(WriteIcsCalendar(events, kStamp, &text));
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    ASSERT_GT(end, start);
    EXPECT_EQ(text[end - 1], '\r') << text.substr(start, end - start);
    EXPECT_LE(end - 1 - start, 75u) << text.substr(start, end - start);
  }
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
}

// A UID is the same for the same prediction whatever its dates, differs between predictions,
// and holds no digit of a date.
TEST(IcsCalendar, UidsNamePredictionsNotDates) {
  std::set<std::string> uids;
  for (const EventKind kind :
       {EventKind::kPeriod, EventKind::kFertileWindow, EventKind::kMostFertileDay}) {
    for (int number = 1; number <= 14; ++number) {
      const PredictedEvent early{kind, Date(2024, 3, 1), Date(2024, 3, 5), number};
      const PredictedEvent late{kind, Date(2031, 7, 20), Date(2031, 7, 24), number};
      EXPECT_EQ(EventUid(early), EventUid(late));
      EXPECT_TRUE(uids.insert(EventUid(early)).second) << EventUid(early);
      EXPECT_EQ(EventUid(early).find("2024"), std::string::npos);
    }
  }
}

}  // namespace
