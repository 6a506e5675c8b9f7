#include "app/event_loop.h"

#include <deque>
#include <utility>

#include "platform/instance/single_instance.h"

namespace {

ModalModel* g_running_modal = nullptr;

void OpenBoxInRunningLoop(std::u16string_view caption, std::u16string_view text) {
  if (g_running_modal != nullptr) g_running_modal->OpenMessageBox(caption, text);
}

struct ListenerRequests final : InstanceRequests {
  int TakeComeForward() override { return TakeForegroundRequests(); }
  std::vector<SYSTEMTIME> TakeRecordPeriod() override { return TakeRecordPeriodRequests(); }
};

}  // namespace

EventLoop::EventLoop(UiFrontEnd& front_end, LoopCalendar& calendar, InstanceRequests* requests)
    : front_end_(front_end),
      calendar_(calendar),
      listener_(requests == nullptr ? std::make_unique<ListenerRequests>() : nullptr),
      requests_(requests != nullptr ? *requests : *listener_) {
  modal_.SetBarShown(front_end.ShowsSoftKeys());
  modal_.SetSoftKeys(calendar.SoftKeys());
  outer_modal_ = std::exchange(g_running_modal, &modal_);
  SetMessageBoxSink(OpenBoxInRunningLoop);
}

EventLoop::~EventLoop() {
  g_running_modal = outer_modal_;
  if (outer_modal_ == nullptr) SetMessageBoxSink(nullptr);
}

int EventLoop::Run() {
  Flush();
  while (Step()) {
  }
  return 0;
}

bool EventLoop::Step() {
  std::vector<UiEvent> events;
  if (calendar_.Closed() || !front_end_.WaitEvents(&events)) return false;
  for (const UiEvent& event : events) {
    if (calendar_.Closed()) break;
    Dispatch(event);
  }
  Flush();
  return !calendar_.Closed();
}

void EventLoop::Flush() {
  if (calendar_.Closed()) return;
  ServeRequests();
  if (calendar_.Paint()) changed_ = true;
  if (modal_.box_number() != shown_box_) changed_ = true;  // a box opened meanwhile
  shown_box_ = modal_.box_number();
  if (changed_) {
    front_end_.Present(calendar_.Picture(), modal_, std::exchange(repaint_all_, false));
    changed_ = false;
  }
}

void EventLoop::Dispatch(const UiEvent& event) {
  switch (event.kind) {
    case UiEvent::Kind::kQuit:
      modal_.CloseAll();
      calendar_.Close();
      return;
    case UiEvent::Kind::kRedraw:
      repaint_all_ = true;
      changed_ = true;
      return;
    case UiEvent::Kind::kResized:
      changed_ = true;
      return;
    case UiEvent::Kind::kCommand:
      calendar_.Command(event.command);
      return;
    case UiEvent::Kind::kWake:
    case UiEvent::Kind::kNone:
      return;
    default:
      break;
  }
  if (modal_.Handle(event)) changed_ = true;
  for (const UiEvent& passed : modal_.TakePassed()) {
    if (calendar_.Closed()) return;
    if (passed.kind == UiEvent::Kind::kKeyDown) calendar_.KeyDown(passed.key);
    if (passed.kind == UiEvent::Kind::kPointerDown) calendar_.Tap(passed.x, passed.y);
    if (passed.kind == UiEvent::Kind::kCommand) calendar_.Command(passed.command);
  }
}

// A recording asked for while a box is open waits for the box to close.
void EventLoop::ServeRequests() {
  for (int count = requests_.TakeComeForward(); count > 0; --count) {
    front_end_.ComeForward();
    changed_ = true;
  }
  for (const SYSTEMTIME& day : requests_.TakeRecordPeriod()) periods_.push_back(day);
  while (!periods_.empty() && modal_.showing() != ModalModel::Showing::kMessageBox &&
         !calendar_.Closed()) {
    const SYSTEMTIME day = periods_.front();
    periods_.pop_front();
    calendar_.RecordPeriod(day);
  }
}

int RunEventLoop(UiFrontEnd& front_end, LoopCalendar& calendar, InstanceRequests* requests) {
  return EventLoop(front_end, calendar, requests).Run();
}
