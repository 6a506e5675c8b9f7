// The predictions as an iCalendar file (RFC 5545) for calendar programs: one all-day event
// per PredictedEvent, private (CLASS:PRIVATE) and not blocking time (TRANSP:TRANSPARENT), with
// a summary that says it is a prediction. Lines end in CRLF and are folded at 75 octets.
//
// Each event's UID names the prediction, not its dates or its owner: its kind and its number
// among the events of that kind in date order ("period-3@..." is the third predicted period,
// the first being the last recorded period itself). The same settings give the same UIDs, so
// importing the file again updates the events instead of adding copies; after a new period is
// recorded, the same UIDs carry the new predictions, so a re-import or a subscription moves the
// events rather than leaving the old ones behind. Nothing in a UID reveals a date. Periods
// recorded before the last one are numbered apart ("recorded-period-1@history.cyclune" is
// the oldest in the history).
//
// Example:
//   std::string text;
//   if (!WriteIcsCalendar(CollectPredictedEvents(cycle).events, stamp_utc, IcsAlarm{}, &text)) ...
#pragma once

#include <string>
#include <vector>

#include "interop/predicted_events.h"
#include "platform/dates/civil_day.h"

// The UID of an event, e.g. "fertile-window-2@predictions.cyclune".
std::string EventUid(const PredictedEvent& event);

// The summary of an event: "Period" for a recorded one, else "Predicted period", "Predicted
// fertile window" or "Predicted most fertile day".
const char* EventSummary(const PredictedEvent& event);

// A reminder in each predicted period's event (not in the last recorded period's): a VALARM
// that displays `description` `days_before` days before the period's first day. None when
// days_before is negative.
struct IcsAlarm {
  int days_before = -1;
  std::string description;  // e.g. "Period expected in 2 days"
};

// Writes the calendar with the events into *text; `stamp` (UTC) is every event's DTSTAMP.
// False when the calendar library cannot build it: out of memory, or a day (the day after an
// event's last, or the stamp's) outside the years kFirstWritableYear to kLastWritableYear.
bool WriteIcsCalendar(const std::vector<PredictedEvent>& events, const LocalDateTime& stamp,
                      const IcsAlarm& alarm, std::string* text);
