// The program's one event loop. A front end hands it neutral events; each goes to the modal
// model first (the soft-key bar, the Options popup, message boxes) and what that passes on
// goes to the calendar; when something changed, the loop has the calendar paint and asks the
// front end for a frame. Message boxes opened anywhere while it runs (ShowMessageBox) become
// state of its modal model: nothing runs a loop of its own.
//
// Between waits it serves the instance socket: a second start's "come forward" goes to the
// front end, a reminder's "record a period on this day" to the calendar, held while a box is
// open so that the box is read first.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/dates/datetime.h"
#include "platform/ui/front_end.h"

// What the loop drives: the calendar in its window (app/calendar_window.h).
class LoopCalendar {
 public:
  virtual ~LoopCalendar() = default;
  virtual std::vector<SoftKey> SoftKeys() = 0;
  virtual void KeyDown(Key key) = 0;
  virtual void Tap(int x, int y) = 0;
  virtual void Command(unsigned command) = 0;
  virtual void RecordPeriod(CivilDay day) = 0;
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
  virtual std::vector<CivilDay> TakeRecordPeriod() = 0;
};

class EventLoop {
 public:
  // `requests` nullptr: the process's listener (platform/instance).
  EventLoop(UiFrontEnd& front_end, LoopCalendar& calendar, InstanceRequests* requests = nullptr);
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Flushes, then steps until the run is over; returns the exit status, 0.
  int Run();
  // Waits for the front end's next events, handles them and flushes. False when the run is
  // over.
  bool Step();
  // Serves the instance socket, paints and presents what is due.
  void Flush();

 private:
  void Dispatch(const UiEvent& event);
  void ServeRequests();

  UiFrontEnd& front_end_;
  LoopCalendar& calendar_;
  std::unique_ptr<InstanceRequests> listener_;
  InstanceRequests& requests_;
  ModalModel modal_;
  ModalModel* outer_modal_ = nullptr;
  std::deque<CivilDay> periods_;
  int shown_box_ = 0;
  bool changed_ = true;  // the first frame
  bool repaint_all_ = false;
};

// Runs until the calendar closes or the front end's input ends; returns the exit status, 0.
int RunEventLoop(UiFrontEnd& front_end, LoopCalendar& calendar,
                 InstanceRequests* requests = nullptr);
