// What a program links in beside its code for the front ends to show: its icon.
#pragma once

#include <cstdint>
#include <span>

// A 24-bit colour image, rows top to bottom, three bytes a pixel in R, G, B order.
struct IconResource {
  int width;
  int height;
  std::span<const std::uint8_t> rgb;
};
