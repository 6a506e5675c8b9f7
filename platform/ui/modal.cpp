#include "platform/ui/modal.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr int kWheelLines = 3;
constexpr int kMaxLines = 1 << 24;  // far beyond any box; keeps line arithmetic in an int
constexpr std::u16string_view kBoxButton = u"OK";
constexpr std::u16string_view kCancel = u"Cancel";

bool IsCloseKey(Key key) {
  return key == Key::kEnter || key == Key::kEscape || key == Key::kF1 || key == Key::kF2;
}

// The item a digit key chooses (0 for '1'); -1 for other keys.
int ItemOfDigit(Key key) { return DigitOf(key) >= 1 ? DigitOf(key) - 1 : -1; }

}  // namespace

SoftKeyBarLabels ModalModel::BarLabels() const {
  if (showing_ == Showing::kMessageBox) return SoftKeyBarLabels{std::u16string(kBoxButton), {}, 0};
  const std::vector<SoftKey>& keys = soft_keys_;
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

void ModalModel::SetSoftKeys(std::vector<SoftKey> keys) {
  ClosePopup();
  soft_keys_ = std::move(keys);
}

void ModalModel::OpenMessageBox(std::u16string_view caption, std::u16string_view text) {
  if (showing_ == Showing::kMessageBox) {
    waiting_boxes_.push_back(Box{std::u16string(caption), std::u16string(text)});
    return;
  }
  ClosePopup();
  ++box_number_;
  showing_ = Showing::kMessageBox;
  caption_ = caption;
  text_ = text;
  lines_.clear();
  wrapped_width_ = -1;
  first_line_ = 0;
}

bool ModalModel::CloseAll() {
  waiting_boxes_.clear();
  const bool closed_popup = ClosePopup();
  return CloseBox() || closed_popup;
}

bool ModalModel::Handle(const UiEvent& event) {
  switch (event.kind) {
    case UiEvent::Kind::kKeyDown:
      return KeyDown(event.key, event.repeat);
    case UiEvent::Kind::kKeyUp:
      return KeyUp(event.key);
    case UiEvent::Kind::kPointerDown:
      return PointerDown(event.hit);
    case UiEvent::Kind::kPointerUp:
      return PointerUp(event.x, event.y);
    case UiEvent::Kind::kWheel:
      return Wheel(event.steps);
    default:
      return false;
  }
}

std::vector<UiEvent> ModalModel::TakePassed() { return std::exchange(passed_, {}); }

bool ModalModel::KeyDown(Key key, bool repeat) {
  const bool bar_key = bar_shown_ && (key == Key::kF1 || key == Key::kF2);
  if (showing_ == Showing::kNothing && !bar_key) {
    passed_.push_back(KeyDownEvent(key, repeat));
    return false;
  }
  taken_keys_.set(static_cast<std::size_t>(key));
  switch (showing_) {
    case Showing::kNothing:
      return !repeat && PressSoftKeyOf(key == Key::kF1 ? 1 : 2);
    case Showing::kPopup:
      return PopupKey(key, repeat);
    case Showing::kMessageBox:
      return BoxKey(key, repeat);
  }
  return false;
}

bool ModalModel::KeyUp(Key key) {
  const auto code = static_cast<std::size_t>(key);
  if (taken_keys_.test(code)) {
    taken_keys_.reset(code);
    return false;
  }
  // Releases while something is open belong to it, and it has no use for them.
  if (showing_ == Showing::kNothing) passed_.push_back(KeyUpEvent(key));
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
  if (hit.place == ModalHit::Place::kClient) {
    passed_.push_back(PointerDownEvent(hit));
    button_in_window_ = true;
  }
  return false;
}

bool ModalModel::PointerUp(int x, int y) {
  if (std::exchange(button_in_window_, false)) passed_.push_back(PointerUpEvent(x, y));
  return false;
}

bool ModalModel::PressSoftKeyOf(int key) {
  if (key < 1 || static_cast<std::size_t>(key) > soft_keys_.size()) return false;
  const SoftKey& pressed = soft_keys_[static_cast<std::size_t>(key) - 1];
  passed_.push_back(CommandEvent(pressed.command));
  if (pressed.menu.empty()) return false;
  showing_ = Showing::kPopup;
  popup_key_ = key;
  popup_items_ = pressed.menu;
  highlighted_ = 0;
  return true;
}

bool ModalModel::ChooseItem(int item) {
  const SoftKey& key = soft_keys_[static_cast<std::size_t>(popup_key_) - 1];
  if (static_cast<std::size_t>(item) < key.menu_commands.size()) {
    passed_.push_back(CommandEvent(key.menu_commands[static_cast<std::size_t>(item)]));
  }
  ClosePopup();
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
  OpenNextBox();
  return true;
}

void ModalModel::OpenNextBox() {
  if (waiting_boxes_.empty()) return;
  const Box next = std::move(waiting_boxes_.front());
  waiting_boxes_.erase(waiting_boxes_.begin());
  OpenMessageBox(next.caption, next.text);
}

bool ModalModel::PopupKey(Key key, bool repeat) {
  const int count = static_cast<int>(popup_items_.size());
  if (count == 0) return false;  // a key without items opens no popup
  if (const int item = ItemOfDigit(key); item >= 0) return item < count && ChooseItem(item);
  switch (key) {
    case Key::kUp:
      return MoveHighlight((highlighted_ + count - 1) % count);
    case Key::kDown:
      return MoveHighlight((highlighted_ + 1) % count);
    case Key::kHome:
      return MoveHighlight(0);
    case Key::kEnd:
      return MoveHighlight(count - 1);
    case Key::kEnter:
      return !repeat && ChooseItem(highlighted_);
    case Key::kEscape:
    case Key::kF1:
    case Key::kF2:
      return !repeat && ClosePopup();
    default:
      return false;
  }
}

bool ModalModel::BoxKey(Key key, bool repeat) {
  if (IsCloseKey(key)) return !repeat && CloseBox();
  switch (key) {
    case Key::kUp:
      return ScrollTo(std::int64_t{first_line_} - 1);
    case Key::kDown:
      return ScrollTo(std::int64_t{first_line_} + 1);
    case Key::kPageUp:
      return ScrollTo(std::int64_t{first_line_} - Page());
    case Key::kPageDown:
    case Key::kSpace:
      return ScrollTo(std::int64_t{first_line_} + Page());
    case Key::kHome:
      return ScrollTo(0);
    case Key::kEnd:
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
