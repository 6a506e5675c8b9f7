// Linked into the programs that link every layer at once (tests, benchmarks, fuzz targets,
// build tools): their windows get pixel canvases when no front end chooses a kind, as the
// system's code runs there without one.
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/ui/window_backend.h"

namespace {

[[maybe_unused]] const bool g_pixels_by_default = (SetDefaultCanvasMaker(MakePixelCanvas), true);

}  // namespace
