// The desktop front end: one SDL window shows the program window's client area with the
// soft-key bar below it. Native events become neutral events (platform/ui/events.h) in one
// switch (sdl_input.cpp). The window paints on ordinary pixel canvases; every frame the loop
// presents is composed with the bar, popup or box of its modal model into one frame (a pixel
// canvas too), uploaded to one streaming texture and presented once. Internal to platform/sdl.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/sdl/foreground_watch.h"
#include "platform/sdl/sdl_chrome.h"
#include "platform/ui/front_end.h"
#include "platform/ui/modal.h"
#include "platform/ui/program_window.h"

class DesktopBackend final : public UiFrontEnd {
 public:
  DesktopBackend() = default;
  ~DesktopBackend() override;
  DesktopBackend(const DesktopBackend&) = delete;
  DesktopBackend& operator=(const DesktopBackend&) = delete;

  // Opens the display and makes the (hidden) window and its renderer; false with *error set.
  bool Open(std::string* error);

  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override;
  ClientSize DefaultClientSize() const override;
  void WindowShown(ProgramWindow& window) override;
  void WindowClosed(ProgramWindow& window) override;
  bool WaitEvents(std::vector<UiEvent>* events) override;
  void Present(const Canvas* picture, ModalModel& modal, bool repaint_all) override;
  void ComeForward() override;

 private:
  // Window and frame (sdl_backend.cpp).
  void Show();
  void PresentAgain();
  void ComposeFrame(int width, int height);
  void ComposeChrome(int width, int client_height);
  bool PrepareFrame(int width, int height);
  int ClientHeightFor(int drawable_height) const;
  bool FollowWindowSize();
  void RevealWindow();
  void SetTitleAndIcon(const ProgramWindow& window);

  // Input (sdl_input.cpp).
  bool WaitEvent(SDL_Event* event);
  void Handle(const SDL_Event& event, std::vector<UiEvent>* events);
  void OnWindowEvent(const SDL_WindowEvent& event, std::vector<UiEvent>* events);
  void OnKey(const SDL_KeyboardEvent& event, std::vector<UiEvent>* events);
  void OnButton(const SDL_MouseButtonEvent& event, std::vector<UiEvent>* events);
  bool ToDrawable(int x, int y, int* drawable_x, int* drawable_y) const;
  ModalHit HitAt(int x, int y) const;

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::unique_ptr<Canvas> frame_;
  int scale_ = 1;  // whole multiple of the 240 x 266 screen, chosen from the display
  float ui_ = 1;   // drawable pixels per unit: scale_ times the display's pixel ratio
  int first_client_width_ = 240;
  int first_client_height_ = 266;
  ProgramWindow* shown_window_ = nullptr;  // the window on screen
  bool revealed_ = false;                  // the SDL window has been mapped
  ModalModel no_modal_;
  ModalModel* modal_ = &no_modal_;  // the bar, the popup and the box last presented
  ForegroundWatch watch_;           // the one-instance socket, watched beside the display
  bool watching_ = false;
  Uint32 wake_event_ = 0;  // what the watch pushes; 0 when SDL had no event type to spare
};
