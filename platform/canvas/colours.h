// The colours that the month view shares with what the backends draw around it (the soft-key
// bar, popups, message boxes, a client area not yet painted), as COLORREF 0x00BBGGRR. The
// month view adds its own cycle colours (view/month_view.h).
#pragma once

#include "platform/ui/win_types.h"

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kDarkBlue = RGB(0, 0, 64);
