// The terminal front end: the client area is the terminal less its last row, drawn from cell
// canvases; the last row is the soft-key bar. Native input becomes neutral events
// (platform/ui/events.h) in one switch; the popup and message boxes of the modal model that
// the loop presents are drawn over the month view.
// Platform-internal; the front end is platform/terminal/terminal.h.
#pragma once

#include <memory>
#include <string>

#include "platform/canvas/cells/cell_canvas.h"
#include "platform/terminal/terminal_layout.h"
#include "platform/terminal/terminal_screen.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/ui/front_end.h"
#include "platform/ui/modal.h"
#include "platform/ui/program_window.h"

class TerminalBackend final : public UiFrontEnd {
 public:
  explicit TerminalBackend(std::unique_ptr<TerminalScreen> screen);

  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    return MakeCellCanvas(width, height);
  }
  ClientSize DefaultClientSize() const override;
  void WindowShown(ProgramWindow& window) override { shown_window_ = &window; }
  void WindowClosed(ProgramWindow& window) override {
    if (&window == shown_window_) shown_window_ = nullptr;
  }
  bool WaitEvents(std::vector<UiEvent>* events) override;
  void Present(const Canvas* picture, ModalModel& modal, bool repaint_all) override;
  void ComeForward() override;

  TerminalScreen& Screen() { return *screen_; }

 private:
  // One thing that happened, from the terminal, a signal or another instance.
  struct Event {
    enum class Kind { kInput, kEnd, kHangUp, kResize, kResumed, kForeground };
    Kind kind = Kind::kInput;
    TerminalInput input;
  };
  Event NextEvent();
  void HandleInput(const TerminalInput& input, std::vector<UiEvent>* events);
  ModalHit HitAt(int x, int y) const;
  void FollowSize(std::vector<UiEvent>* events);

  int ClientRows() const;
  void Draw(bool repaint_all);
  Point FocusPlace() const;
  static Point LineStart(const BoxLayout& box, int row, Point otherwise);
  void DrawPicture();
  void DrawBar();
  void DrawBox(const BoxLayout& box, int selected, int scroll);
  void FillRow(int left, int y, int width, const CellStyle& style);
  void DrawLine(int left, int y, const GlyphLine& line, int width, const CellStyle& style);
  void DrawFrame(const BoxLayout& box, int scroll);
  BarLayout CurrentBar() const;
  BoxLayout PopupLayout() const;
  BoxLayout MessageBoxLayout();

  std::unique_ptr<TerminalScreen> screen_;
  ProgramWindow* shown_window_ = nullptr;
  CellCanvas shown_{0, 0};  // the client area as last painted
  bool painted_ = false;
  ModalModel no_modal_;
  ModalModel* modal_ = &no_modal_;  // the bar, the popup and the box last presented
  SignalEvents signals_;            // signals taken from the pipe but not yet acted on
  bool hung_up_ = false;
};

// Opens the terminal on in_fd/out_fd and makes the front end, which lives until
// CloseTerminalBackend (no signals, no instance rule: what StartTerminal adds). For
// benchmarks and tests on a pseudo-terminal; nullptr with *error set when the terminal
// cannot be used.
TerminalBackend* OpenTerminalBackend(int in_fd, int out_fd, std::string* error);
// Ends the front end that OpenTerminalBackend made and gives the terminal back.
void CloseTerminalBackend();
