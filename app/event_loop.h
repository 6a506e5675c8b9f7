// The program's one event loop. A front end hands it neutral events; each goes to the modal
// model first (the soft-key bar, the Options popup, message boxes) and what that passes on
// goes to the calendar; when something changed, the loop has the calendar paint and asks the
// front end for a frame. Message boxes opened anywhere while it runs (MessageBoxW) become
// state of its modal model: nothing runs a loop of its own.
//
// Between waits it serves the instance socket: a second start's "come forward" goes to the
// front end, a reminder's "record a period on this day" to the calendar, held while a box is
// open so that the box is read first.
#pragma once

#include <vector>

#include "platform/dates/datetime.h"
#include "platform/ui/front_end.h"

// What the loop drives: the calendar behind the main window.
class LoopCalendar {
 public:
  virtual ~LoopCalendar() = default;
  virtual std::vector<SoftKey> SoftKeys() = 0;
  virtual void KeyDown(Key key) = 0;
  virtual void Tap(int x, int y) = 0;
  virtual void Command(unsigned command) = 0;
  virtual void RecordPeriod(const SYSTEMTIME& day) = 0;
  virtual void Close() = 0;  // the program is ending
  virtual bool Closed() = 0;
  // Paints when a paint is due; true when it painted.
  virtual bool Paint() = 0;
  virtual const Canvas* Picture() = 0;
};

// Where the loop hears of the instance socket's requests (the process's listener by default).
struct InstanceRequests {
  virtual ~InstanceRequests() = default;
  virtual int TakeComeForward() = 0;
  virtual std::vector<SYSTEMTIME> TakeRecordPeriod() = 0;
};

// Runs until the calendar closes or the front end's input ends; returns the exit status, 0.
int RunEventLoop(UiFrontEnd& front_end, LoopCalendar& calendar,
                 InstanceRequests* requests = nullptr);
