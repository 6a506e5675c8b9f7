// Module resources: what a program links in beside its code and the window system reads by
// id: its icons. A module instance handle (HINSTANCE) points at one ModuleResources record,
// defined by the program (resources/).
#pragma once

#include <span>

#include "platform/ui/win_types.h"

// A 24-bit colour image, rows top to bottom, three bytes a pixel in R, G, B order.
struct IconResource {
  UINT id;
  int width;
  int height;
  std::span<const BYTE> rgb;
};

struct ModuleResources {
  std::span<const IconResource> icons;
};
