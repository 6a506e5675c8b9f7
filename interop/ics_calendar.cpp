#include "interop/ics_calendar.h"

#include <libical/ical.h>

#include <memory>

#include "model/calendar.h"

namespace {

struct ComponentFree {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

const char* KindName(EventKind kind) {
  switch (kind) {
    case EventKind::kPeriod:
      return "period";
    case EventKind::kFertileWindow:
      return "fertile-window";
    case EventKind::kRecordedPeriod:
      return "recorded-period";
    case EventKind::kMostFertileDay:
      break;
  }
  return "most-fertile-day";
}

icaltimetype DateOf(CivilDay day) {
  icaltimetype date = icaltime_null_date();
  date.year = day.year();
  date.month = day.month();
  date.day = day.day();
  return date;
}

icaltimetype StampOf(const LocalDateTime& utc) {
  icaltimetype stamp = icaltime_null_time();
  stamp.year = utc.date.year();
  stamp.month = utc.date.month();
  stamp.day = utc.date.day();
  stamp.hour = utc.hour;
  stamp.minute = utc.minute;
  stamp.second = utc.second;
  stamp.zone = icaltimezone_get_utc_timezone();
  return stamp;
}

// Adds `property` to `component`; false for a property the library could not make.
bool Add(icalcomponent* component, icalproperty* property) {
  if (property == nullptr) return false;
  icalcomponent_add_property(component, property);
  return true;
}

bool Writable(CivilDay day) {
  return day.year() >= kFirstWritableYear && day.year() <= kLastWritableYear;
}

// A display alarm the given days before the start: TRIGGER:-P<days>D, or PT0S on the day. The
// days are set as days: from seconds the library would write whole weeks (-P2W).
bool AddAlarm(icalcomponent* vevent, const IcsAlarm& alarm) {
  icalcomponent* valarm = icalcomponent_new_valarm();
  if (valarm == nullptr) return false;
  icalcomponent_add_component(vevent, valarm);
  icaltriggertype trigger = icaltriggertype_from_int(0);
  trigger.duration = icaldurationtype_null_duration();
  trigger.duration.days = static_cast<unsigned>(alarm.days_before);
  trigger.duration.is_neg = alarm.days_before > 0 ? 1 : 0;
  return Add(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY)) &&
         Add(valarm, icalproperty_new_trigger(trigger)) &&
         Add(valarm, icalproperty_new_description(alarm.description.c_str()));
}

bool AddEvent(icalcomponent* calendar, const PredictedEvent& event, const LocalDateTime& stamp,
              const IcsAlarm& alarm) {
  // The end of an all-day event is the day after its last one.
  const CivilDay end = ShiftDays(LocalDateTime{event.last}, 1).date;
  // Out of its range the library writes a zero date in silence.
  if (!Writable(event.first) || !Writable(end) || !Writable(stamp.date)) return false;
  icalcomponent* vevent = icalcomponent_new_vevent();
  if (vevent == nullptr) return false;
  icalcomponent_add_component(calendar, vevent);
  return Add(vevent, icalproperty_new_uid(EventUid(event).c_str())) &&
         Add(vevent, icalproperty_new_dtstamp(StampOf(stamp))) &&
         Add(vevent, icalproperty_new_dtstart(DateOf(event.first))) &&
         Add(vevent, icalproperty_new_dtend(DateOf(end))) &&
         Add(vevent, icalproperty_new_summary(EventSummary(event))) &&
         Add(vevent, icalproperty_new_class(ICAL_CLASS_PRIVATE)) &&
         Add(vevent, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT)) &&
         // The first period is the recorded one, not a prediction to be reminded of.
         (alarm.days_before < 0 || event.kind != EventKind::kPeriod || event.number == 1 ||
          AddAlarm(vevent, alarm));
}

bool AddCalendarProperties(icalcomponent* calendar) {
  icalproperty* name = icalproperty_new_x("Cyclune predictions");
  if (name != nullptr) icalproperty_set_x_name(name, "X-WR-CALNAME");
  return Add(calendar, icalproperty_new_prodid("-//Cyclune//Cyclune " CYCLUNE_VERSION "//EN")) &&
         Add(calendar, icalproperty_new_version("2.0")) &&
         Add(calendar, icalproperty_new_calscale("GREGORIAN")) &&
         Add(calendar, icalproperty_new_method(ICAL_METHOD_PUBLISH)) && Add(calendar, name);
}

}  // namespace

std::string EventUid(const PredictedEvent& event) {
  const char* domain =
      event.kind == EventKind::kRecordedPeriod ? "@history.cyclune" : "@predictions.cyclune";
  return std::string(KindName(event.kind)) + "-" + std::to_string(event.number) + domain;
}

const char* EventSummary(const PredictedEvent& event) {
  if (event.recorded) return "Period";
  switch (event.kind) {
    case EventKind::kPeriod:
      return "Predicted period";
    case EventKind::kFertileWindow:
      return "Predicted fertile window";
    case EventKind::kRecordedPeriod:
      return "Period";
    case EventKind::kMostFertileDay:
      break;
  }
  return "Predicted most fertile day";
}

bool WriteIcsCalendar(const std::vector<PredictedEvent>& events, const LocalDateTime& stamp,
                      const IcsAlarm& alarm, std::string* text) {
  Component calendar(icalcomponent_new_vcalendar());
  if (calendar == nullptr || !AddCalendarProperties(calendar.get())) return false;
  for (const PredictedEvent& event : events) {
    if (!AddEvent(calendar.get(), event, stamp, alarm)) return false;
  }
  char* written = icalcomponent_as_ical_string_r(calendar.get());
  if (written == nullptr) return false;
  *text = written;
  icalmemory_free_buffer(written);
  return true;
}
