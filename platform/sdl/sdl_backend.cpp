// The desktop window: its making, its size and scale, and the composition and presentation
// of each frame. Also the desktop front end's entry (platform/modules/desktop.h).
#include "platform/sdl/sdl_backend.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/canvas/colours.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/canvas/pixels/pixel_text.h"
#include "platform/instance/single_instance.h"
#include "platform/modules/desktop.h"
#include "platform/sdl/sdl_display.h"
#include "platform/text/unicode.h"
#include "platform/ui/test_hooks.h"

namespace {

constexpr int kScreenWidth = 240;  // the month view's own screen, in units
constexpr int kScreenHeight = 266;
constexpr int kMinimumWidth = 140;  // the smallest window that still reads, in units
constexpr int kMinimumHeight = 160;
constexpr int kMaxScale = 6;
constexpr int kDisplayHeightPerScale = 500;  // a display 1000 pixels high shows the view x2
constexpr float kReferenceDpi = 96.0f;
constexpr char kApplicationId[] = "io.github.cyclune.Cyclune";

// Ended by its Finish function alone: an exit() from deep inside leaves it as it is.
DesktopBackend* g_desktop = nullptr;

// The window's size in the desktop's units (points) at a scale: the screen and the bar.
int WindowWidth(int scale) { return kScreenWidth * scale; }
int WindowHeight(int scale) {
  return kScreenHeight * scale + SoftKeyBarHeight(static_cast<float>(scale));
}

// A whole scale for the month view's 240 x 266 screen: by the display's height and, when
// `count_density`, by its density, whichever is larger; then as large as still fits the
// usable area with the bar.
int ChooseScale(bool count_density) {
  SDL_Rect bounds{0, 0, 0, 0};
  if (SDL_GetDisplayBounds(0, &bounds) != 0) return 1;
  SDL_Rect usable = bounds;
  SDL_GetDisplayUsableBounds(0, &usable);
  int scale = std::max(1, bounds.h / kDisplayHeightPerScale);
  float dpi = 0;
  if (count_density && SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) == 0 && dpi > 48 &&
      dpi < 1200) {
    scale = std::max(scale, static_cast<int>(std::lround(dpi / kReferenceDpi)));
  }
  scale = std::min(scale, kMaxScale);
  while (scale > 1 && (WindowWidth(scale) > usable.w || WindowHeight(scale) > usable.h)) {
    --scale;
  }
  return scale;
}

// Whether the machine has a graphics device with a kernel driver (a DRM node, or NVIDIA's).
bool HasGraphicsDevice() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) return true;
  }
  return std::filesystem::exists("/dev/nvidia0", error);
}

SDL_Renderer* MakeRenderer(SDL_Window* window) {
  // SDL_RENDER_DRIVER, when set, names the driver SDL tries first whatever the flags. Without
  // a graphics device "accelerated" would mean OpenGL drawn by the processor, which costs
  // more time and memory than SDL's own software renderer for the same picture.
  const bool accelerated_first = HasGraphicsDevice();
  const Uint32 first = accelerated_first ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE;
  const Uint32 second = accelerated_first ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, first);
  return renderer != nullptr ? renderer : SDL_CreateRenderer(window, -1, second);
}

}  // namespace

DesktopBackend::~DesktopBackend() {
  watch_.Stop();  // before the socket closes (FinishDesktopWindow) and SDL ends
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

bool DesktopBackend::Open(std::string* error) {
  scale_ = ChooseScale(true);
  // Hidden until its first picture is ready, so it never shows an empty frame.
  window_ = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             WindowWidth(scale_), WindowHeight(scale_),
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window_ == nullptr || (renderer_ = MakeRenderer(window_)) == nullptr) {
    *error = std::string("cannot open a window: ") + SDL_GetError();
    return false;
  }
  SDL_StopTextInput();  // keys only: no input method window
  const Uint32 wake = SDL_RegisterEvents(1);
  wake_event_ = wake != static_cast<Uint32>(-1) ? wake : 0;
  int width = 0;
  int height = 0;
  SDL_GetRendererOutputSize(renderer_, &width, &height);
  // A compositor that gives the window more pixels than points has counted the display's
  // density already.
  if (width > WindowWidth(scale_) * 5 / 4) {
    scale_ = std::min(scale_, ChooseScale(false));
    SDL_SetWindowSize(window_, WindowWidth(scale_), WindowHeight(scale_));
    SDL_GetRendererOutputSize(renderer_, &width, &height);
  }
  SDL_SetWindowMinimumSize(window_, std::max(kMinimumWidth, kMinimumWidth * scale_ / 2),
                           std::max(kMinimumHeight, kMinimumHeight * scale_ / 2));
  ui_ = static_cast<float>(scale_) * static_cast<float>(width) /
        static_cast<float>(WindowWidth(scale_));
  first_client_width_ = width;
  first_client_height_ = ClientHeightFor(height);
  return true;
}

ClientSize DesktopBackend::DefaultClientSize() const {
  return ClientSize{first_client_width_, first_client_height_};
}

void DesktopBackend::WindowShown(ProgramWindow& window) {
  shown_window_ = &window;
  SetTitleAndIcon(window);
  if (revealed_) SDL_ShowWindow(window_);
}

void DesktopBackend::WindowClosed(ProgramWindow& window) {
  if (&window != shown_window_) return;
  shown_window_ = nullptr;
  SDL_HideWindow(window_);  // the application is ending: it goes at once
}

void DesktopBackend::ComeForward() {
  SDL_ShowWindow(window_);
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) SDL_RestoreWindow(window_);
  SDL_RaiseWindow(window_);
}

void DesktopBackend::SetTitleAndIcon(const ProgramWindow& window) {
  SDL_SetWindowTitle(window_, Utf16ToUtf8(window.title()).c_str());
  const IconResource* icon = window.icon();
  if (icon == nullptr || icon->width <= 0 || icon->height <= 0 ||
      icon->rgb.size() < static_cast<std::size_t>(icon->width) * icon->height * 3) {
    return;
  }
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, icon->width, icon->height, 24, SDL_PIXELFORMAT_RGB24);
  if (surface == nullptr) return;
  const auto row_bytes = static_cast<std::size_t>(icon->width) * 3;
  for (int y = 0; y < icon->height; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch,
                icon->rgb.data() + static_cast<std::size_t>(y) * row_bytes, row_bytes);
  }
  SDL_SetWindowIcon(window_, surface);
  SDL_FreeSurface(surface);
}

int DesktopBackend::ClientHeightFor(int drawable_height) const {
  return std::max(0, drawable_height - SoftKeyBarHeight(ui_));
}

// The window's size changed (by the user or the window manager): the client area follows,
// which lays the month view out afresh with a repaint. True when the client area was
// resized.
bool DesktopBackend::FollowWindowSize() {
  int window_width = 0;
  int window_height = 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_, &window_width, &window_height);
  if (SDL_GetRendererOutputSize(renderer_, &width, &height) != 0) return false;
  if (window_width > 0) {
    ui_ = static_cast<float>(scale_) * static_cast<float>(width) / static_cast<float>(window_width);
  }
  if (shown_window_ == nullptr) return false;
  const Canvas* canvas = shown_window_->canvas();
  const int client_height = ClientHeightFor(height);
  if (canvas != nullptr && canvas->Width() == width && canvas->Height() == client_height) {
    return false;
  }
  DropCachedText();  // the texts of the old size, a large window's taking tens of megabytes
  return shown_window_->Resize(width, client_height);
}

void DesktopBackend::RevealWindow() {
  if (revealed_) return;
  revealed_ = true;
  SDL_ShowWindow(window_);
}

void DesktopBackend::Present(const Canvas*, ModalModel& modal, bool) {
  modal_ = &modal;
  Show();
}

// Composes the frame, uploads it in one texture update and presents it.
void DesktopBackend::Show() {
  int width = 0;
  int height = 0;
  if (SDL_GetRendererOutputSize(renderer_, &width, &height) != 0 || width <= 0 || height <= 0 ||
      !PrepareFrame(width, height)) {
    return;
  }
  ComposeFrame(width, height);
  RevealWindow();
  const std::optional<PixelRows> rows = ReadPixelRows(*frame_);
  if (rows) SDL_UpdateTexture(texture_, nullptr, rows->pixels, rows->pitch);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
  TraceFrameEvent("frame");
}

// Shows the last frame again (the window was uncovered). A frame of another size waits for
// the repaint that the new size brings.
void DesktopBackend::PresentAgain() {
  int width = 0;
  int height = 0;
  if (texture_ == nullptr || frame_ == nullptr ||
      SDL_GetRendererOutputSize(renderer_, &width, &height) != 0 || width != frame_->Width() ||
      height != frame_->Height()) {
    return;
  }
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

std::unique_ptr<Canvas> DesktopBackend::MakeCanvas(int width, int height) {
  return MakePixelCanvas(width, height);
}

bool DesktopBackend::PrepareFrame(int width, int height) {
  if (frame_ != nullptr && texture_ != nullptr && frame_->Width() == width &&
      frame_->Height() == height) {
    return true;
  }
  frame_.reset();
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  // The texture takes the pixel canvas's rows as they are (XRGB8888).
  frame_ = MakePixelCanvas(width, height);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  return frame_ != nullptr && texture_ != nullptr;
}

void DesktopBackend::ComposeFrame(int width, int height) {
  const int client_height = ClientHeightFor(height);
  const Canvas* canvas = shown_window_ != nullptr ? shown_window_->canvas() : nullptr;
  if (canvas != nullptr) {
    // Where the picture does not reach (a size not yet repainted) the copy leaves white.
    frame_->Blit(0, 0, width, client_height, *canvas, 0, 0);
  } else {
    frame_->Fill(Rect{0, 0, width, client_height}, kWhite);
  }
  ComposeChrome(width, client_height);
}

void DesktopBackend::ComposeChrome(int width, int client_height) {
  switch (modal_->showing()) {
    case ModalModel::Showing::kMessageBox: {
      // A box lays itself out afresh for every frame: the window may have changed size.
      const MessageBoxLayout layout = LayoutMessageBox(width, client_height, ui_);
      modal_->WrapBoxText(layout.text.w, MessageTextMeasure(layout), layout.font_size);
      modal_->SetVisibleLines(layout.visible_lines);
      DrawMessageBox(*frame_, layout, modal_->caption(), modal_->lines(), modal_->first_line(),
                     ui_);
      break;
    }
    case ModalModel::Showing::kPopup:
      DrawPopup(*frame_, PopupArea(modal_->popup_items(), width, client_height, ui_),
                modal_->popup_items(), modal_->highlighted(), ui_);
      break;
    case ModalModel::Showing::kNothing:
      break;
  }
  DrawSoftKeyBar(*frame_, SDL_Rect{0, client_height, width, frame_->Height() - client_height},
                 modal_->BarLabels(), ui_);
}

UiFrontEnd* StartDesktopWindow(std::string* error) {
  // Hints the environment may override: a desktop application, not a game. The window's
  // class hint (X11) and app_id (Wayland) are the application ID, which names the
  // desktop entry: docks and task switchers find the name and icon there. SDL 2.26 reads
  // these two from the environment only, before its video starts.
  SDL_SetHint(SDL_HINT_APP_NAME, "Cyclune");
  setenv("SDL_VIDEO_X11_WMCLASS", kApplicationId, 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", kApplicationId, 0);
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (!OpenDisplayVideo(error)) return nullptr;
  // On X11 a software-rendered frame goes straight to the server (shared memory); SDL would
  // otherwise load a GL driver only to show it, tens of megabytes for nothing.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  auto backend = std::make_unique<DesktopBackend>();
  if (!backend->Open(error)) {
    backend.reset();
    SDL_Quit();
    return nullptr;
  }
  delete g_desktop;
  g_desktop = backend.release();
  EnableSingleInstance(true);
  return g_desktop;
}

int FinishDesktopWindow(int run_result) {
  delete std::exchange(g_desktop, nullptr);
  const int status = ReportSecondStart(run_result);
  ReleaseSingleInstance();
  EnableSingleInstance(false);
  ReleaseTextResources();
  SDL_Quit();
  return status;
}
