// The desktop window backend: one SDL window shows the input window's client area with the
// soft-key bar below it; native events become the platform's messages in one switch
// (sdl_input.cpp); message boxes run their own modal loop (sdl_message_box.cpp). Windows
// paint on ordinary pixel canvases; every painted picture is composed with the bar, popup or
// box into one frame (a pixel canvas too), uploaded to one streaming texture and presented
// once. Internal to platform/sdl.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sdl/sdl_chrome.h"
#include "platform/window_backend.h"

// A message box while it is open: its text, and its lines as wrapped for the current width.
struct OpenMessageBox {
  std::u16string caption;
  std::u16string text;
  MessageBoxLayout layout;
  std::vector<std::u16string> lines;
  int wrapped_width = -1;
  int first_line = 0;
};

class DesktopBackend final : public WindowBackend {
 public:
  DesktopBackend() = default;
  ~DesktopBackend() override;
  DesktopBackend(const DesktopBackend&) = delete;
  DesktopBackend& operator=(const DesktopBackend&) = delete;

  // Opens the display and makes the (hidden) window and its renderer; false with *error set.
  bool Open(std::string* error);

  void DefaultClientSize(int* width, int* height) override;
  void WindowShown(HWND window) override;
  void WindowPainted(HWND window) override;
  void WindowDestroyed(HWND window) override;
  void MenuBarChanged(HWND owner) override;
  void BringToForeground(HWND window) override;
  int ShowMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption,
                     UINT type) override;
  bool WaitForInput() override;

 private:
  enum class BoxAction { kNone, kClose, kCloseApp };

  // Window and frame (sdl_backend.cpp).
  void Present();
  void PresentAgain();
  void ComposeFrame(int width, int height);
  void ComposeChrome(int width, int client_height);
  bool PrepareFrame(int width, int height);
  int ClientHeightFor(int drawable_height) const;
  void FollowWindowSize();
  void RevealWindow();
  void SetTitleAndIcon(HWND window);
  void Trace(const char* what) const;

  // Input (sdl_input.cpp).
  void Handle(const SDL_Event& event);
  void OnWindowEvent(const SDL_WindowEvent& event);
  void OnKeyDown(const SDL_KeyboardEvent& event);
  void OnKeyUp(const SDL_KeyboardEvent& event);
  void OnPopupKey(SDL_Keycode key);
  void OnButtonDown(const SDL_MouseButtonEvent& event);
  void OnButtonUp(const SDL_MouseButtonEvent& event);
  bool ToDrawable(int x, int y, int* drawable_x, int* drawable_y) const;
  void PressSoftKeyOfBar(int key);
  void OpenPopup(int key);
  void ClosePopup();
  void ChoosePopupItem(int item);
  void RequestClose();

  // Message boxes (sdl_message_box.cpp).
  BoxAction OnBoxEvent(const SDL_Event& event);
  BoxAction OnBoxKey(const SDL_KeyboardEvent& event);
  void ScrollBox(int lines);
  void LogMessageBox(std::u16string_view caption, std::u16string_view text);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  std::unique_ptr<Canvas> frame_;
  int scale_ = 1;   // whole multiple of the 240 x 266 screen, chosen from the display
  float ui_ = 1;    // drawable pixels per unit: scale_ times the display's pixel ratio
  int first_client_width_ = 240;
  int first_client_height_ = 266;
  HWND shown_window_ = nullptr;  // the window on screen
  bool revealed_ = false;        // the SDL window has been mapped
  int popup_key_ = 0;            // the soft key whose popup is open; 0 none
  PopupMenu popup_;
  std::optional<OpenMessageBox> box_;
  bool button_down_in_client_ = false;
  bool trace_frames_ = false;
  std::FILE* message_log_ = nullptr;
};
