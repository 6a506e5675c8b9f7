// The colours that the month view shares with what the backends draw around it (the soft-key
// bar, popups, message boxes, a client area not yet painted). The month view adds its own
// cycle colours (view/month_view.h).
#pragma once

#include <cstdint>

// A colour as its red, green and blue components, 0 to 255 each.
struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kWhite = Rgb{255, 255, 255};
constexpr Rgb kBlack = Rgb{0, 0, 0};
constexpr Rgb kBlue = Rgb{0, 0, 255};
constexpr Rgb kDarkBlue = Rgb{0, 0, 64};
