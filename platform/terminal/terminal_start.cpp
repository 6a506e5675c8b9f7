// The terminal front end's start and end: the checks that the terminal can be used, the
// one-instance rule, the locale for wide text, the signal handlers and the backend.
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "platform/instance/single_instance.h"
#include "platform/terminal/terminal.h"
#include "platform/terminal/terminal_backend.h"
#include "platform/terminal/terminal_signals.h"

namespace {

struct TerminalRun {
  bool active = false;     // the backend owns the terminal
  bool day_marks = false;  // its colours cannot tell the day classes apart
};
TerminalRun g_run;

// The front end of a start that found Cyclune running: it shows nothing, as the program
// only asks the running one forward.
class ScreenlessFrontEnd final : public UiFrontEnd {
 public:
  std::unique_ptr<Canvas> MakeCanvas(int, int) override { return nullptr; }
  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}
};

// An exit that skips FinishTerminal (exit() from deep inside) still gives the terminal back.
void RescueAtExit() {
  if (g_run.active) RescueTerminal();
}

void UndoStart() {
  ReleaseSingleInstance();
  EnableSingleInstance(false);
}

}  // namespace

UiFrontEnd* StartTerminal(const TerminalOptions& options, std::string* error) {
  if (isatty(STDIN_FILENO) == 0) {
    *error = "standard input is not a terminal";
    return nullptr;
  }
  if (isatty(STDOUT_FILENO) == 0) {
    *error = "standard output is not a terminal";
    return nullptr;
  }
  EnableSingleInstance(true);
  if (AnotherInstanceRunning()) {
    // The program finds the running instance and asks it forward; the screen stays as it is.
    static ScreenlessFrontEnd screenless;
    return &screenless;
  }
  // The user's character set decides between Unicode and plain ASCII on the screen.
  std::setlocale(LC_CTYPE, "");
  SetCellTextUnicode(std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0);
  if (!InstallTerminalSignals(STDIN_FILENO)) {
    *error = std::string("cannot watch for signals: ") + std::strerror(errno);
    UndoStart();
    return nullptr;
  }
  TerminalBackend* backend = OpenTerminalBackend(STDIN_FILENO, STDOUT_FILENO, error);
  if (backend == nullptr) {
    RemoveTerminalSignals();
    UndoStart();
    return nullptr;
  }
  backend->Screen().ShowCursor(options.show_cursor);
  SetTerminalRescueSequence(backend->Screen().RescueSequence());
  g_run.active = true;
  g_run.day_marks = !ColoursTellDayClassesApart(backend->Screen().Depth());
  static const bool registered = std::atexit(RescueAtExit) == 0;
  (void)registered;
  return backend;
}

bool TerminalNeedsDayMarks() { return g_run.day_marks; }

int FinishTerminal(int run_result) {
  if (g_run.active) {
    CloseTerminalBackend();
    RemoveTerminalSignals();
    g_run = TerminalRun{};
  }
  const int status = ReportSecondStart(run_result);
  UndoStart();
  return status;
}
