// Colours of the month view on terminals of every depth. An RGB colour becomes: itself where
// the terminal takes direct (24-bit) colour; the nearest entry of the 6x6x6 cube and grey
// ramp of a 256-colour palette (whose 16 first entries vary by theme and are not used);
// the nearest of the 16 or 8 ANSI colours on smaller terminals, with bold for bright text
// on 8 colours, so that selected, red and green days stay apart and text stays readable;
// and, without colour, reverse video for every cell not on white.
#pragma once

#include "platform/canvas/colours.h"

enum class ColourDepth { kMonochrome, kEight, kSixteen, kPalette256, kDirect };

// The depth ncurses reports for `colours` colours (COLORS) and whether direct colour is on.
ColourDepth DepthForColours(int colours, bool direct);

// Whether a terminal of `depth` tells the month view's four day classes apart by colour: the
// first and the other period days, the most fertile and the other fertile days differ only
// by brightness, which takes 16 colours at least. Where it cannot, the days carry marks.
bool ColoursTellDayClassesApart(ColourDepth depth);

// The colour that palette entry `index` (0 to 255) shows on a terminal with the xterm
// defaults.
Rgb PaletteColour(int index);

// The index of the palette entry nearest to `colour` among entries first to last (by the
// squared distance in RGB).
int NearestPaletteIndex(Rgb colour, int first, int last);

// The nearest entry of the 256-colour cube and grey ramp (16 to 255), computed directly.
int Nearest256(Rgb colour);

// What a terminal cell is told for a pair of RGB colours on a terminal of `depth`: the colour
// numbers for ncurses (-1 for the terminal's default), bold, reverse video.
struct CellColours {
  int foreground = -1;
  int background = -1;
  bool bold = false;
  bool reverse = false;
};
CellColours ColoursFor(Rgb foreground, Rgb background, ColourDepth depth);
