#include "view/day_class.h"

#include "model/calendar_state.h"
#include "model/cycle.h"
#include "view/month_view.h"

DayClass ClassifyDay(const CalendarState& state, std::int32_t day, std::int32_t selected_day) {
  return ClassifyDay(CycleSettingsOf(state), state.SelectedDate.date, day, selected_day);
}

DayClass ClassifyDay(const CycleSettings& cycle, CivilDay month, std::int32_t day,
                     std::int32_t selected_day) {
  if (day == selected_day) return DayClass::kSelected;
  if (!cycle.LastPeriodKnown) return DayClass::kPlain;
  // Both levels are asked, fertility first, as the paint has always asked them; the
  // menstrual colours are painted over the fertile ones.
  const std::int32_t fertility = FertilityLevel(cycle, month, day);
  const std::int32_t critical = CriticalLevel(cycle, month, day);
  if (critical == 2) return DayClass::kPeriodStart;
  if (critical == 1) return DayClass::kPeriod;
  if (fertility == 2) return DayClass::kMostFertile;
  if (fertility == 1) return DayClass::kFertile;
  return DayClass::kPlain;
}

DayColours ColoursOf(DayClass day_class) {
  switch (day_class) {
    case DayClass::kSelected:
      return {true, kDarkBlue, kWhite};
    case DayClass::kPeriodStart:
      return {true, kRed, kYellow};
    case DayClass::kPeriod:
      return {true, kDarkRed, kYellow};
    case DayClass::kMostFertile:
      return {true, kGreen, kYellow};
    case DayClass::kFertile:
      return {true, kDarkGreen, kYellow};
    case DayClass::kPlain:
      break;
  }
  return {false, kWhite, kBlack};
}

DayMark MarkOf(DayClass day_class) {
  switch (day_class) {
    case DayClass::kSelected:
      return {MarkShape::kNone, u'<', kWhite};
    case DayClass::kPeriodStart:
      return {MarkShape::kTriangle, u'#', kYellow};
    case DayClass::kPeriod:
      return {MarkShape::kDot, u'+', kYellow};
    case DayClass::kMostFertile:
      return {MarkShape::kDiamond, u'*', kBlack};
    case DayClass::kFertile:
      return {MarkShape::kRing, u'~', kYellow};
    case DayClass::kPlain:
      break;
  }
  return {MarkShape::kNone, u' ', kBlack};
}
