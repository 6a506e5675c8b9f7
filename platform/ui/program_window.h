// The program's one window as a front end shows it: a title and an icon, the client area as
// a canvas of the front end's kind (white when made), whether a paint is due, and the focus
// box, the place the keyboard's attention is (the selected day's number), which a terminal
// puts its cursor on so that screen readers read there. Nothing draws the focus box.
//
// The window is made on one front end and shown on it; the front end reads what it presents
// from it and resizes it when its screen changes size. A resize gives a new white canvas and
// asks for a paint; paint requests coalesce until the owner paints.
//
// Example:
//   ProgramWindow window(front_end, u"Cyclune", &icon);
//   window.Show();                            // the front end shows it; a paint is due
//   if (window.TakePaintDue()) Paint(*window.canvas());
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/canvas/canvas.h"
#include "platform/ui/resource.h"

class UiFrontEnd;

class ProgramWindow {
 public:
  // A window at the front end's default client size, not yet shown. `icon` may be nullptr
  // and must outlive the window.
  ProgramWindow(UiFrontEnd& front_end, std::u16string title, const IconResource* icon);
  ~ProgramWindow();
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;

  // Whether the window has a client area: false when the front end could make no canvas,
  // and after Close.
  bool open() const { return canvas_ != nullptr; }

  // Puts the window on the front end's screen; the first time, a paint is due.
  void Show();
  // Takes the window off the screen for good: its client area goes.
  void Close();

  const std::u16string& title() const { return title_; }
  const IconResource* icon() const { return icon_; }

  // The client area; nullptr when the window is not open.
  Canvas* canvas() { return canvas_.get(); }
  const Canvas* canvas() const { return canvas_.get(); }

  // A new white client area of width x height (0 each way at least) and a paint request.
  // False, changing nothing, for a negative side or when the front end makes no canvas.
  bool Resize(int width, int height);

  // Asks for a paint; any number of requests make one.
  void AskForPaint() { paint_due_ = true; }
  // Whether a paint is due and the window is shown, so that it would be seen.
  bool paint_due() const { return paint_due_ && shown_ && open(); }
  // paint_due(), consuming the request: the caller paints now.
  bool TakePaintDue();

  // The focus box in client coordinates; none when nothing has the keyboard's attention.
  const std::optional<Rect>& focus_box() const { return focus_box_; }
  void SetFocusBox(std::optional<Rect> box) { focus_box_ = box; }

 private:
  std::unique_ptr<Canvas> WhiteCanvas(int width, int height) const;

  UiFrontEnd& front_end_;
  std::u16string title_;
  const IconResource* icon_;
  std::unique_ptr<Canvas> canvas_;
  std::optional<Rect> focus_box_;
  bool shown_ = false;
  bool paint_due_ = false;
};
