#include "model/calendar_state.h"

CalendarState AppState;
