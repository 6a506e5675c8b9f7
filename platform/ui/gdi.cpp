// Drawing targets and objects. A target (DeviceContext) draws on a canvas: the window's
// client canvas during a paint, or the surface selected into an off-screen target. Every
// handle is checked against the live sets, so a stale or doubled Delete* fails harmlessly.
#include "platform/ui/gdi.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

struct GdiObject {
  enum class Kind { kBrush, kBitmap };
  Kind kind = Kind::kBrush;
  COLORREF colour = 0;
  std::unique_ptr<Canvas> canvas;
  bool stock = false;
  DeviceContext* selected_in = nullptr;
  bool delete_pending = false;
};

struct DeviceContext {
  HWND window = nullptr;        // the window whose client canvas this paint target draws on
  CanvasMaker maker = nullptr;  // none: no surface can be made for this target
  GdiObject* bitmap = nullptr;
  GdiObject* brush = nullptr;
  COLORREF background = RGB(255, 255, 255);
  COLORREF text = RGB(0, 0, 0);
};

namespace {

// The surface an off-screen target has before one is selected: it has no pixels.
GdiObject g_no_surface{GdiObject::Kind::kBitmap, 0, nullptr, true, nullptr, false};
GdiObject g_white_brush{GdiObject::Kind::kBrush, RGB(255, 255, 255), nullptr, true, nullptr, false};

constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 26;

struct GdiRegistry {
  std::unordered_map<GdiObject*, std::unique_ptr<GdiObject>> objects;
  std::unordered_map<DeviceContext*, std::unique_ptr<DeviceContext>> targets;
};

GdiRegistry& Gdi() {
  static auto* registry = new GdiRegistry();  // lives as long as the process
  return *registry;
}

bool IsLiveObject(GdiObject* object) {
  // Compared by address only: a stale handle must not be read.
  return object == &g_no_surface || object == &g_white_brush ||
         Gdi().objects.find(object) != Gdi().objects.end();
}

bool IsLiveTarget(DeviceContext* target) {
  return target != nullptr && Gdi().targets.find(target) != Gdi().targets.end();
}

GdiObject* NewObject(std::unique_ptr<GdiObject> object) {
  GdiObject* handle = object.get();
  Gdi().objects.emplace(handle, std::move(object));
  return handle;
}

DeviceContext* NewTarget(std::unique_ptr<DeviceContext> target) {
  DeviceContext* handle = target.get();
  Gdi().targets.emplace(handle, std::move(target));
  return handle;
}

// Takes `object` out of its target; frees it when its deletion was waiting for that.
void Deselect(GdiObject* object) {
  if (object == nullptr || object->stock) return;
  object->selected_in = nullptr;
  if (object->delete_pending) Gdi().objects.erase(object);
}

Canvas* CanvasOf(const DeviceContext* target) {
  if (target->window != nullptr) {
    return IsLiveWindow(target->window) ? target->window->canvas.get() : nullptr;
  }
  return target->bitmap != nullptr ? target->bitmap->canvas.get() : nullptr;
}

CanvasMaker ScreenMaker() {
  // The backend's kind of canvas, learnt from one it makes; the default kind without one.
  WindowBackend* backend = CurrentWindowBackend();
  if (backend == nullptr) return DefaultCanvasMaker();
  std::unique_ptr<Canvas> probe = backend->MakeCanvas(0, 0);
  return probe != nullptr ? probe->Maker() : nullptr;
}

// `count` units of text, -1 meaning up to the terminator.
std::u16string_view TextOf(const char16_t* text, int count) {
  return count == -1 ? std::u16string_view(text)
                     : std::u16string_view(text, static_cast<std::size_t>(count));
}

LONG ClampedEnd(int start, int length) {
  return static_cast<LONG>(std::min<std::int64_t>(std::int64_t{start} + length, INT32_MAX));
}

}  // namespace

bool BrushColour(HBRUSH brush, COLORREF* colour) {
  if (!IsLiveObject(brush) || brush->kind != GdiObject::Kind::kBrush) return false;
  *colour = brush->colour;
  return true;
}

const Canvas* TargetCanvas(HDC target) { return IsLiveTarget(target) ? CanvasOf(target) : nullptr; }

std::size_t LiveGdiObjectCount() { return Gdi().objects.size(); }
std::size_t LiveDeviceContextCount() { return Gdi().targets.size(); }

HGDIOBJ GetStockObject(int object) { return object == WHITE_BRUSH ? &g_white_brush : nullptr; }

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (!IsLiveWindow(window) || paint == nullptr) return nullptr;
  auto target = std::make_unique<DeviceContext>();
  target->window = window;
  if (window->canvas != nullptr) target->maker = window->canvas->Maker();
  ValidateWindow(window);
  *paint = PAINTSTRUCT{};
  paint->hdc = NewTarget(std::move(target));
  paint->fErase = FALSE;
  GetClientRect(window, &paint->rcPaint);
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr || !IsLiveTarget(paint->hdc) || paint->hdc->window != window) {
    return FALSE;
  }
  Gdi().targets.erase(paint->hdc);
  if (IsLiveWindow(window)) {
    if (WindowBackend* backend = CurrentWindowBackend()) backend->WindowPainted(window);
  }
  return TRUE;
}

HDC CreateCompatibleDC(HDC target) {
  if (target != nullptr && !IsLiveTarget(target)) return nullptr;
  auto memory = std::make_unique<DeviceContext>();
  memory->maker = target != nullptr ? target->maker : ScreenMaker();
  memory->bitmap = &g_no_surface;
  return NewTarget(std::move(memory));
}

HBITMAP CreateCompatibleBitmap(HDC target, int width, int height) {
  if (!IsLiveTarget(target) || width < 0 || height < 0 ||
      std::int64_t{width} * height > kMaxSurfacePixels) {
    return nullptr;
  }
  if (target->maker == nullptr) return nullptr;
  auto bitmap = std::make_unique<GdiObject>();
  bitmap->kind = GdiObject::Kind::kBitmap;
  bitmap->canvas = target->maker(width, height);
  if (bitmap->canvas == nullptr) return nullptr;
  return NewObject(std::move(bitmap));
}

HGDIOBJ SelectObject(HDC target, HGDIOBJ object) {
  if (!IsLiveTarget(target) || !IsLiveObject(object) || object->delete_pending) return nullptr;
  if (object->kind == GdiObject::Kind::kBrush) {
    GdiObject* previous = target->brush != nullptr ? target->brush : &g_white_brush;
    target->brush = object;
    return previous;
  }
  // A surface belongs to one off-screen target at a time; a window target takes none.
  if (target->window != nullptr) return nullptr;
  if (object->selected_in != nullptr && object->selected_in != target) return nullptr;
  if (object->canvas != nullptr && object->canvas->Maker() != target->maker) return nullptr;
  GdiObject* previous = target->bitmap;
  if (previous == object) return previous;
  if (!object->stock) object->selected_in = target;
  target->bitmap = object;
  Deselect(previous);
  // The previous surface may be gone now; its handle is still what the platform returns.
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!IsLiveObject(object) || object->delete_pending) return FALSE;
  if (object->stock) return TRUE;
  if (object->selected_in != nullptr) {
    object->delete_pending = true;  // released with its target
    return TRUE;
  }
  Gdi().objects.erase(object);
  return TRUE;
}

BOOL DeleteDC(HDC target) {
  if (!IsLiveTarget(target) || target->window != nullptr) return FALSE;
  Deselect(target->bitmap);
  Gdi().targets.erase(target);
  return TRUE;
}

COLORREF SetBkColor(HDC target, COLORREF colour) {
  if (!IsLiveTarget(target)) return CLR_INVALID;
  const COLORREF previous = target->background;
  target->background = colour & 0x00FFFFFF;
  return previous;
}

COLORREF SetTextColor(HDC target, COLORREF colour) {
  if (!IsLiveTarget(target)) return CLR_INVALID;
  const COLORREF previous = target->text;
  target->text = colour & 0x00FFFFFF;
  return previous;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  auto brush = std::make_unique<GdiObject>();
  brush->colour = colour & 0x00FFFFFF;
  return NewObject(std::move(brush));
}

int FillRect(HDC target, const RECT* rect, HBRUSH brush) {
  if (!IsLiveTarget(target) || rect == nullptr || !IsLiveObject(brush) ||
      brush->kind != GdiObject::Kind::kBrush) {
    return 0;
  }
  if (Canvas* canvas = CanvasOf(target)) canvas->Fill(*rect, brush->colour);
  return 1;
}

int DrawTextW(HDC target, const char16_t* text, int count, RECT* rect, UINT format) {
  constexpr UINT kCentredLine = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
  // One centred line is the only layout offered; other layouts fail rather than draw wrong.
  if (!IsLiveTarget(target) || text == nullptr || rect == nullptr || count < -1 ||
      (format & ~DT_NOPREFIX) != kCentredLine) {
    return 0;
  }
  Canvas* canvas = CanvasOf(target);
  if (canvas == nullptr) return 0;
  return canvas->DrawTextCentred(*rect, TextOf(text, count), target->text, target->background);
}

BOOL GetTextInkBox(HDC target, const char16_t* text, int count, const RECT* rect, RECT* ink) {
  if (!IsLiveTarget(target) || text == nullptr || rect == nullptr || ink == nullptr || count < -1) {
    return FALSE;
  }
  Canvas* canvas = CanvasOf(target);
  if (canvas == nullptr) return FALSE;
  *ink = canvas->TextInk(*rect, TextOf(text, count), target->text, target->background);
  return TRUE;
}

int GetDeviceCaps(HDC target, int index) {
  if (!IsLiveTarget(target) || index != TECHNOLOGY) return 0;
  if (const Canvas* canvas = CanvasOf(target)) {
    return canvas->HoldsCharacters() ? DT_CHARSTREAM : DT_RASDISPLAY;
  }
  // A target without a surface yet: the kind its surfaces will be.
  const std::unique_ptr<Canvas> probe = target->maker != nullptr ? target->maker(0, 0) : nullptr;
  return probe != nullptr && probe->HoldsCharacters() ? DT_CHARSTREAM : DT_RASDISPLAY;
}

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
            DWORD operation) {
  if (operation != SRCCOPY || !IsLiveTarget(target) || !IsLiveTarget(source) || width < 0 ||
      height < 0) {
    return FALSE;
  }
  Canvas* to = CanvasOf(target);
  if (to == nullptr) return FALSE;
  const Canvas* from = CanvasOf(source);
  if (from == nullptr) {
    // An off-screen target without a surface has no pixels: the block comes out white.
    to->Fill(RECT{x, y, ClampedEnd(x, width), ClampedEnd(y, height)}, RGB(255, 255, 255));
    return TRUE;
  }
  to->Blit(x, y, width, height, *from, sx, sy);
  return TRUE;
}
