#include "platform/ui/modal.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/ui/window_backend.h"

namespace {

constexpr int kWheelLines = 3;
constexpr int kMaxLines = 1 << 24;  // far beyond any box; keeps line arithmetic in an int
constexpr std::u16string_view kBoxButton = u"OK";
constexpr std::u16string_view kCancel = u"Cancel";

bool IsCloseKey(UINT key) {
  return key == VK_RETURN || key == VK_ESCAPE || key == VK_F1 || key == VK_F2;
}

// The item a digit key chooses (0 for '1'); -1 for other keys.
int ItemOfDigit(UINT key) { return key >= '1' && key <= '9' ? static_cast<int>(key - '1') : -1; }

}  // namespace

SoftKeyBarLabels ModalModel::BarLabels() const {
  if (showing_ == Showing::kMessageBox) return SoftKeyBarLabels{std::u16string(kBoxButton), {}, 0};
  const std::vector<SoftKey> keys = SoftKeysOf(InputWindow());
  SoftKeyBarLabels labels;
  if (!keys.empty()) labels.left = keys[0].label;
  if (keys.size() > 1) labels.right = keys[1].label;
  if (showing_ == Showing::kPopup) {
    labels.open_key = popup_key_;
    (popup_key_ == 1 ? labels.right : labels.left) = kCancel;
  }
  return labels;
}

int ModalModel::LastFirstLine() const {
  const auto count = static_cast<int>(std::min<std::size_t>(lines_.size(), kMaxLines));
  return std::max(0, count - visible_lines_);
}

void ModalModel::WrapBoxText(int width, const TextMeasure& measure, int measure_key) {
  if (width == wrapped_width_ && measure_key == wrapped_key_) return;
  lines_ = WrapText(text_, width, measure);
  wrapped_width_ = width;
  wrapped_key_ = measure_key;
  first_line_ = std::min(first_line_, LastFirstLine());
}

void ModalModel::SetVisibleLines(int count) {
  visible_lines_ = std::clamp(count, 1, kMaxLines);
  first_line_ = std::min(first_line_, LastFirstLine());
}

void ModalModel::OpenMessageBox(std::u16string_view caption, std::u16string_view text) {
  ClosePopup();
  showing_ = Showing::kMessageBox;
  caption_ = caption;
  text_ = text;
  lines_.clear();
  wrapped_width_ = -1;
  first_line_ = 0;
}

bool ModalModel::CloseAll() {
  const bool closed_popup = ClosePopup();
  return CloseBox() || closed_popup;
}

bool ModalModel::SoftKeysChanged() { return ClosePopup(); }

bool ModalModel::KeyDown(UINT key, bool repeat) {
  if (showing_ == Showing::kNothing && key != VK_F1 && key != VK_F2) {
    if (HWND window = InputWindow()) PostKeyDown(window, key, repeat);
    return false;
  }
  if (key < taken_keys_.size()) taken_keys_.set(key);
  switch (showing_) {
    case Showing::kNothing:
      return !repeat && PressSoftKeyOf(key == VK_F1 ? 1 : 2);
    case Showing::kPopup:
      return PopupKey(key, repeat);
    case Showing::kMessageBox:
      return BoxKey(key, repeat);
  }
  return false;
}

bool ModalModel::KeyUp(UINT key) {
  if (key < taken_keys_.size() && taken_keys_.test(key)) {
    taken_keys_.reset(key);
    return false;
  }
  // Releases while something is open belong to it, and it has no use for them.
  if (showing_ == Showing::kNothing) {
    if (HWND window = InputWindow()) PostKeyUp(window, key);
  }
  return false;
}

bool ModalModel::Wheel(int steps) {
  switch (showing_) {
    case Showing::kNothing:
      return false;
    case Showing::kPopup: {
      const auto last = static_cast<std::int64_t>(popup_items_.size()) - 1;
      if (last < 0) return false;
      return MoveHighlight(
          static_cast<int>(std::clamp<std::int64_t>(std::int64_t{highlighted_} + steps, 0, last)));
    }
    case Showing::kMessageBox:
      return ScrollTo(first_line_ + std::int64_t{steps} * kWheelLines);
  }
  return false;
}

bool ModalModel::PointerDown(const ModalHit& hit) {
  switch (showing_) {
    case Showing::kMessageBox:
      return CloseBox();
    case Showing::kPopup:
      // A press beside the popup only closes it: it goes no further.
      if (hit.place == ModalHit::Place::kPopupItem) return ChooseItem(hit.index);
      return ClosePopup();
    case Showing::kNothing:
      break;
  }
  if (hit.place == ModalHit::Place::kSoftKey) return PressSoftKeyOf(hit.index);
  HWND window = InputWindow();
  if (hit.place == ModalHit::Place::kClient && window != nullptr) {
    PostButtonDown(window, hit.x, hit.y);
    button_in_window_ = true;
  }
  return false;
}

bool ModalModel::PointerUp(int x, int y) {
  HWND window = InputWindow();
  if (std::exchange(button_in_window_, false) && window != nullptr) {
    PostButtonUp(window, x, y);
  }
  return false;
}

bool ModalModel::PressSoftKeyOf(int key) {
  HWND window = InputWindow();
  const std::vector<SoftKey> keys = SoftKeysOf(window);
  if (key < 1 || static_cast<std::size_t>(key) > keys.size()) return false;
  PressSoftKey(window, key);
  const SoftKey& pressed = keys[static_cast<std::size_t>(key) - 1];
  if (pressed.menu.empty()) return false;
  showing_ = Showing::kPopup;
  popup_key_ = key;
  popup_items_ = pressed.menu;
  highlighted_ = 0;
  return true;
}

bool ModalModel::ChooseItem(int item) {
  const int key = popup_key_;
  ClosePopup();
  ChooseMenuItem(InputWindow(), key, item);
  return true;
}

bool ModalModel::ClosePopup() {
  if (showing_ != Showing::kPopup) return false;
  showing_ = Showing::kNothing;
  popup_key_ = 0;
  popup_items_.clear();
  highlighted_ = 0;
  return true;
}

bool ModalModel::CloseBox() {
  if (showing_ != Showing::kMessageBox) return false;
  showing_ = Showing::kNothing;
  return true;
}

bool ModalModel::PopupKey(UINT key, bool repeat) {
  const int count = static_cast<int>(popup_items_.size());
  if (count == 0) return false;  // a key without items opens no popup
  if (const int item = ItemOfDigit(key); item >= 0) return item < count && ChooseItem(item);
  switch (key) {
    case VK_UP:
      return MoveHighlight((highlighted_ + count - 1) % count);
    case VK_DOWN:
      return MoveHighlight((highlighted_ + 1) % count);
    case VK_HOME:
      return MoveHighlight(0);
    case VK_END:
      return MoveHighlight(count - 1);
    case VK_RETURN:
      return !repeat && ChooseItem(highlighted_);
    case VK_ESCAPE:
    case VK_F1:
    case VK_F2:
      return !repeat && ClosePopup();
    default:
      return false;
  }
}

bool ModalModel::BoxKey(UINT key, bool repeat) {
  if (IsCloseKey(key)) return !repeat && CloseBox();
  switch (key) {
    case VK_UP:
      return ScrollTo(std::int64_t{first_line_} - 1);
    case VK_DOWN:
      return ScrollTo(std::int64_t{first_line_} + 1);
    case VK_PRIOR:
      return ScrollTo(std::int64_t{first_line_} - Page());
    case VK_NEXT:
    case VK_SPACE:
      return ScrollTo(std::int64_t{first_line_} + Page());
    case VK_HOME:
      return ScrollTo(0);
    case VK_END:
      return ScrollTo(LastFirstLine());
    default:
      return false;
  }
}

bool ModalModel::MoveHighlight(int to) {
  if (popup_items_.empty() || to == highlighted_) return false;
  highlighted_ = to;
  return true;
}

bool ModalModel::ScrollTo(std::int64_t line) {
  const auto first = static_cast<int>(std::clamp<std::int64_t>(line, 0, LastFirstLine()));
  if (first == first_line_) return false;
  first_line_ = first;
  return true;
}

int ModalModel::Page() const { return std::max(1, visible_lines_ - 1); }
