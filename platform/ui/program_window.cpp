#include "platform/ui/program_window.h"

#include <utility>

#include "platform/canvas/colours.h"
#include "platform/ui/front_end.h"

ProgramWindow::ProgramWindow(UiFrontEnd& front_end, std::u16string title, const IconResource* icon)
    : front_end_(front_end), title_(std::move(title)), icon_(icon) {
  const ClientSize size = front_end_.DefaultClientSize();
  canvas_ = WhiteCanvas(size.width, size.height);
}

ProgramWindow::~ProgramWindow() { Close(); }

void ProgramWindow::Show() {
  if (!open()) return;
  if (!shown_) paint_due_ = true;
  shown_ = true;
  front_end_.WindowShown(*this);
}

void ProgramWindow::Close() {
  // The front end forgets the window before its client area goes.
  if (std::exchange(shown_, false)) front_end_.WindowClosed(*this);
  canvas_.reset();
  focus_box_.reset();
  paint_due_ = false;
}

bool ProgramWindow::Resize(int width, int height) {
  if (!open() || width < 0 || height < 0) return false;
  std::unique_ptr<Canvas> canvas = WhiteCanvas(width, height);
  if (canvas == nullptr) return false;
  canvas_ = std::move(canvas);
  paint_due_ = true;
  return true;
}

bool ProgramWindow::TakePaintDue() {
  const bool due = paint_due();
  if (due) paint_due_ = false;
  return due;
}

std::unique_ptr<Canvas> ProgramWindow::WhiteCanvas(int width, int height) const {
  std::unique_ptr<Canvas> canvas = front_end_.MakeCanvas(width, height);
  if (canvas != nullptr) canvas->Fill(Rect{0, 0, width, height}, kWhite);
  return canvas;
}
