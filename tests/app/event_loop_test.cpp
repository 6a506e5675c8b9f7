// The program's loop over neutral events: what reaches the modal model and what the calendar,
// when frames are asked for, boxes as the modal model's state, the instance socket's requests
// and the end of the run; on a scripted front end and a recording calendar.
#include "app/event_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/message_box.h"

namespace {

using Kind = UiEvent::Kind;
using Showing = ModalModel::Showing;

// One batch of events a wait hands over; the run ends after the last.
using Batches = std::vector<std::vector<UiEvent>>;

std::vector<UiEvent> Press(Key key) { return {KeyDownEvent(key), KeyUpEvent(key)}; }
std::vector<UiEvent> Just(Kind kind) { return {EventOf(kind)}; }
std::vector<UiEvent> TapAt(int x, int y) {
  return {PointerDownEvent(ModalHit{ModalHit::Place::kClient, 0, x, y}), PointerUpEvent(x, y)};
}

class ScriptedFrontEnd final : public UiFrontEnd {
 public:
  explicit ScriptedFrontEnd(Batches batches) : batches_(std::move(batches)) {}
  std::unique_ptr<Canvas> MakeCanvas(int, int) override { return nullptr; }
  bool WaitEvents(std::vector<UiEvent>* events) override {
    if (next_ >= batches_.size()) return false;
    *events = batches_[next_++];
    return true;
  }
  // Each frame as what it showed: "-" nothing, "popup", or "box:CAPTION".
  void Present(const Canvas*, ModalModel& modal, bool repaint_all) override {
    std::string frame = modal.showing() == Showing::kPopup ? "popup" : "-";
    if (modal.showing() == Showing::kMessageBox) {
      frame = "box:" + std::string(modal.caption().begin(), modal.caption().end());
    }
    frames.push_back(frame + (repaint_all ? "!" : ""));
  }
  void ComeForward() override { frames.push_back("forward"); }

  std::vector<std::string> frames;

 private:
  Batches batches_;
  std::size_t next_ = 0;
};

// Records what reached it as words; Enter opens a box, as the day report does; a key paints.
class RecordingCalendar final : public LoopCalendar {
 public:
  std::vector<SoftKey> SoftKeys() override {
    return {{u"Options", 40001, {u"Set last period", u"Help"}, {40003, 40004}},
            {u"Exit", 40002, {}, {}}};
  }
  void KeyDown(Key key) override {
    calls.push_back("key " + std::to_string(static_cast<int>(key)));
    if (key == Key::kEnter) ShowMessageBox(u"Day", u"report");
    paint_due = true;
  }
  void Tap(int x, int y) override {
    calls.push_back("tap " + std::to_string(x) + "," + std::to_string(y));
  }
  void Command(unsigned command) override {
    calls.push_back("command " + std::to_string(command));
    if (command == 40002) closed = true;
    if (command == 40004) ShowMessageBox(u"Help", u"help");
  }
  void RecordPeriod(CivilDay day) override {
    calls.push_back("record " + std::to_string(day.day()));
  }
  void Close() override {
    calls.push_back("close");
    closed = true;
  }
  bool Closed() override { return closed; }
  bool Paint() override { return std::exchange(paint_due, false); }
  const Canvas* Picture() override { return nullptr; }

  std::vector<std::string> calls;
  bool closed = false;
  bool paint_due = false;
};

// Requests waiting on the socket before the wait of the given batch (0: before the first).
struct QueuedRequests final : InstanceRequests {
  int forward_before = -1;
  int period_before = -1;
  int waits = 0;
  int TakeComeForward() override { return waits == forward_before ? 1 : 0; }
  std::vector<CivilDay> TakeRecordPeriod() override {
    return waits++ == period_before ? std::vector<CivilDay>{CivilDay(2024, 5, 9)}
                                    : std::vector<CivilDay>{};
  }
};

std::vector<UiEvent> Join(std::vector<std::vector<UiEvent>> parts) {
  std::vector<UiEvent> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(EventLoop, GivesEachEventToTheModalModelFirstAndTheCalendarSecond) {
  struct Case {
    const char* name;
    Batches batches;
    int forward_before = -1;
    int period_before = -1;
    std::vector<std::string> calls;
    std::vector<std::string> frames;
  };
  const Case cases[] = {
      {"keys and taps reach the calendar; a paint asks for a frame",
       {Press(Key::kDown), TapAt(3, 4), Just(Kind::kWake)},
       -1,
       -1,
       {"key 40", "tap 3,4"},
       {"-", "-"}},
      {"the bar opens its popup; an item is the calendar's command",
       {Press(Key::kF1), Press(Key::kDown), Press(Key::kEnter)},
       -1,
       -1,
       {"command 40001", "command 40004"},
       {"-", "popup", "popup", "box:Help"}},
      {"a box takes the keys after it until it closes",
       {Press(Key::kEnter), Press(Key::kLeft), Press(Key::kEscape), Press(Key::kLeft)},
       -1,
       -1,
       {"key 13", "key 37"},
       {"-", "box:Day", "-", "-"}},
      {"keys after a box in the same batch go to the box",
       {Join({Press(Key::kEnter), Press(Key::kEnter)}), Press(Key::kEnter), Press(Key::kEnter)},
       -1,
       -1,
       {"key 13", "key 13"},
       {"-", "-", "box:Day", "-"}},
      {"quit closes the box and the calendar, and the run ends",
       {Press(Key::kEnter), Just(Kind::kQuit), Press(Key::kDown)},
       -1,
       -1,
       {"key 13", "close"},
       {"-", "box:Day"}},
      {"the calendar's own end ends the run",
       {Press(Key::kF2), Press(Key::kDown)},
       -1,
       -1,
       {"command 40002"},
       {"-"}},
      {"a recording waits for an open box",
       {Press(Key::kEnter), Press(Key::kEnter)},
       -1,
       1,
       {"key 13", "record 9"},
       {"-", "box:Day", "-"}},
      {"come forward, and a redraw repaints everything",
       {Just(Kind::kRedraw)},
       1,
       -1,
       {},
       {"-", "forward", "-!"}},
      {"a resize asks for a frame; the commands of a script go straight on",
       {Just(Kind::kResized), {CommandEvent(40003)}},
       -1,
       -1,
       {"command 40003"},
       {"-", "-"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedFrontEnd front_end(c.batches);
    RecordingCalendar calendar;
    QueuedRequests requests;
    requests.forward_before = c.forward_before;
    requests.period_before = c.period_before;
    EXPECT_EQ(RunEventLoop(front_end, calendar, &requests), 0);
    EXPECT_EQ(calendar.calls, c.calls);
    EXPECT_EQ(front_end.frames, c.frames);
  }
}

}  // namespace
