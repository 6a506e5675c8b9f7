// Random input sequences through the calendar in its window, in-process on pixel canvases:
// key presses with any code, taps anywhere, menu commands ("Set last period" included),
// resizes down to 0 x 0, paints and a reminder's requests to record a period on any day,
// starting from a random "now" and random stored settings. After every step the selection
// must still be a real date: month 1 to 12, day within its month, the time of day that of
// the start.
//
// Input: 8 bytes of start (year, month, day, hour, settings flag and size), 20 bytes of
// stored settings when the flag asks for them, then one operation per 5 bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/calendar_window.h"
#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/dates/datetime.h"
#include "platform/ui/front_end.h"
#include "resources/resources.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMaxOperations = 64;
constexpr int kMaxSaves = 3;  // each save is synced to disk: keep inputs fast
constexpr int kMaxSide = 1024;

struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  bool Empty() const { return at >= size; }
  std::uint8_t U8() { return at < size ? data[at++] : 0; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(U16()) | (std::uint32_t{U16()} << 16); }
};

struct Workspace {
  fs::path root;
  fs::path settings;
};

// A screen of pixels that keeps the window it shows, to resize it as a front end does.
class FuzzFrontEnd final : public UiFrontEnd {
 public:
  explicit FuzzFrontEnd(ClientSize size) : size_(size) {}
  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    return MakePixelCanvas(width, height);
  }
  ClientSize DefaultClientSize() const override { return size_; }
  void WindowShown(ProgramWindow& window) override { shown = &window; }
  void WindowClosed(ProgramWindow&) override { shown = nullptr; }
  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}

  ProgramWindow* shown = nullptr;

 private:
  ClientSize size_;
};

Workspace MakeWorkspace() {
  std::string pattern = (fs::temp_directory_path() / "cyclune-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  Workspace w{pattern, fs::path(pattern) / "config" / "cyclune" / "registry.reg"};
  setenv("XDG_CONFIG_HOME", (w.root / "config").c_str(), 1);
  setenv("LC_ALL", "en_US.UTF-8", 1);
  return w;
}

void RemoveWorkspace();

// One scratch folder for the whole run: the settings (XDG_CONFIG_HOME).
// The removal is registered after the workspace exists, so it runs while it is still alive.
const Workspace& TheWorkspace() {
  static const Workspace workspace = MakeWorkspace();
  static const bool removed_at_exit = std::atexit(RemoveWorkspace) == 0;
  (void)removed_at_exit;
  return workspace;
}

void RemoveWorkspace() {
  std::error_code ignored;
  fs::remove_all(TheWorkspace().root, ignored);
}

void WriteStoredSettings(Bytes& in, const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file);
  out << "Windows Registry Editor Version 5.00\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n";
  for (const char* name :
       {"CycleLength", "LutealPhase", "MenstrualDays", "LastPeriodHigh", "LastPeriodLow"}) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", name, in.U32());
    out << line;
  }
}

LocalDateTime StartTime(Bytes& in) {
  const int year = 1 + in.U16() % 9999;
  const int month = 1 + in.U8() % 12;
  const int day = 1 + in.U8() % DaysInMonth(year, month);
  return LocalDateTime{CivilDay(year, month, day), in.U8() % 24};
}

void CheckSelection(const CalendarWindow& calendar, const LocalDateTime& start) {
  const LocalDateTime& s = calendar.state().SelectedDate;
  const bool valid = s.date.month() >= 1 && s.date.month() <= 12 && s.date.day() >= 1 &&
                     s.date.day() <= DaysInMonth(s.date.year(), s.date.month()) &&
                     s.date.weekday() == DayOfWeek(s.date.day(), s.date.month(), s.date.year()) &&
                     s.hour == start.hour && s.minute == start.minute && s.second == start.second &&
                     s.millisecond == start.millisecond;
  if (!valid) {
    std::fprintf(stderr, "invalid selection %u-%u-%u (%u) %u:%u:%u.%u\n", s.date.year(),
                 s.date.month(), s.date.day(), s.date.weekday(), s.hour, s.minute, s.second,
                 s.millisecond);
    std::abort();
  }
}

Key KeyFrom(Bytes& in) {
  static constexpr Key kKeys[] = {Key::kEnter, Key::kLeft, Key::kUp, Key::kRight, Key::kDown};
  const std::uint8_t pick = in.U8();
  const std::uint32_t raw = in.U32();
  return pick < 200 ? kKeys[pick % 5] : KeyOfCode(raw);
}

unsigned CommandId(Bytes& in, int* saves) {
  static constexpr unsigned kCommands[] = {IDM_OPTIONS, IDM_SET_LAST_PERIOD, IDM_HELP};
  const std::uint8_t pick = in.U8();
  const std::uint16_t raw = in.U16();
  unsigned id = pick < 200 ? kCommands[pick % 3] : raw;
  if (id == IDM_SET_LAST_PERIOD && ++*saves > kMaxSaves) id = IDM_OPTIONS;
  if (id == IDM_EXIT) id = IDM_OPTIONS;  // the end of the input closes the window
  return id;
}

// One operation; false once the window is gone.
bool Operate(CalendarWindow& calendar, FuzzFrontEnd& front_end, Bytes& in, int* saves) {
  switch (in.U8() % 6) {
    case 0:
      calendar.KeyDown(KeyFrom(in));
      break;
    case 1: {
      const std::uint16_t x = in.U16();
      calendar.Tap(x, in.U16());
      break;
    }
    case 2:
      calendar.Command(CommandId(in, saves));
      break;
    case 3: {
      const int width = in.U16() % (kMaxSide + 1);
      const int height = in.U16() % (kMaxSide + 1);
      if (front_end.shown != nullptr) {
        front_end.shown->Resize(width % 3 == 0 ? width % 8 : width, height);
      }
      break;
    }
    case 4:
      calendar.Paint();
      break;
    default: {
      const LocalDateTime day = StartTime(in);
      if (++*saves <= kMaxSaves) calendar.RecordPeriod(day.date);
      break;
    }
  }
  calendar.Paint();
  return !calendar.Closed();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Workspace& workspace = TheWorkspace();
  Bytes in{data, size};
  const LocalDateTime start = StartTime(in);
  const std::uint8_t flags = in.U8();
  std::error_code ignored;
  fs::remove(workspace.settings, ignored);
  if (flags & 1) WriteStoredSettings(in, workspace.settings);

  const bool handheld = (flags >> 1) % 2 == 0;
  FuzzFrontEnd front_end(
      ClientSize{handheld ? 240 : (flags >> 2) % 8, handheld ? 266 : (flags >> 5) % 9});
  FixLocalClock(start);
  CalendarState state;
  CalendarWindow calendar(front_end, state, CalendarOptions{});
  if (!calendar.Open()) std::abort();
  CheckSelection(calendar, start);
  int saves = 0;
  for (int step = 0; step < kMaxOperations && !in.Empty(); ++step) {
    if (!Operate(calendar, front_end, in, &saves)) break;
    CheckSelection(calendar, start);
  }
  UseRealLocalClock();
  return 0;
}
