#include "platform/canvas/pixels/pixel_text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/canvas/pixels/font_runs.h"
#include "platform/canvas/pixels/font_set.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/ui/test_hooks.h"

namespace {

// Bounds of what text drawing keeps between paints: a month view needs a few dozen lines
// per window size; the limits only stop a long run of resizes from growing without end.
constexpr std::size_t kMaxCachedLines = 2048;
constexpr std::size_t kMaxCachedBytes = std::size_t{48} << 20;
constexpr std::size_t kMaxOpenFonts = 24;
constexpr int kMinFontSize = 6;
constexpr int kMaxFontSize = 400;

std::u32string CodePoints(std::u16string_view text) {
  std::u32string code_points;
  for (std::size_t at = 0; at < text.size();) code_points.push_back(NextCodePoint(text, &at));
  return code_points;
}

std::string Utf8Of(std::u32string_view code_points) {
  std::string utf8;
  for (char32_t c : code_points) AppendUtf8(IsSurrogate(c) ? kReplacementCharacter : c, &utf8);
  return utf8;
}

// One run of a line as rendered, with its font's ascent to line it up on the baseline.
struct RunImage {
  SDL_Surface* surface;
  int ascent;
};

struct CachedLine {
  SDL_Surface* surface;
  std::list<std::string>::iterator position;
};

struct OpenFont {
  TTF_Font* font;
  std::uint64_t last_use;
};

using FontKey = std::pair<int, int>;  // face in the font set, pixel size

class TextCache {
 public:
  ~TextCache() {
    Drop();
    if (started_ttf_) TTF_Quit();
  }

  // Frees every rendered line and closes every font; the face list stays.
  void Drop() {
    for (auto& [key, line] : lines_) SDL_FreeSurface(line.surface);
    for (auto& [key, open] : fonts_) TTF_CloseFont(open.font);
    lines_.clear();
    recent_.clear();
    fonts_.clear();
    bytes_ = 0;
  }

  bool Render(std::u16string_view text, int size, Rgb fg, Rgb bg, TextImage* out);
  std::u32string Missing(std::u32string_view text, int size);

 private:
  bool Start();
  TTF_Font* Font(int face, int size);
  FontCoverage Coverage();
  std::vector<FontRun> Runs(std::u32string_view text) { return SplitFontRuns(text, Coverage()); }
  SDL_Surface* RenderNew(std::u32string_view text, int size, Rgb fg, Rgb bg);
  SDL_Surface* Compose(const std::vector<RunImage>& runs, Rgb bg);
  void Report(std::u32string_view text, int size);
  void Remember(const std::string& key, SDL_Surface* surface);
  void EvictOldest();

  std::unordered_map<std::string, CachedLine> lines_;
  std::list<std::string> recent_;  // most recently used first
  std::size_t bytes_ = 0;
  std::map<FontKey, OpenFont> fonts_;
  std::uint64_t clock_ = 0;
  std::unique_ptr<FontSet> font_set_;
  bool started_ttf_ = false;
};

TextCache* g_cache = nullptr;

// fontconfig is asked once, at the first text; the library's initialisation is counted, so
// our fonts stay valid whatever other users of it do (our TTF_Quit pairs with this call).
bool TextCache::Start() {
  if (font_set_ == nullptr) {
    font_set_ = std::make_unique<FontSet>();
    started_ttf_ = TTF_Init() == 0;
  }
  return started_ttf_ && !font_set_->Empty();
}

TTF_Font* TextCache::Font(int face, int size) {
  const FontKey key{face, size};
  if (auto found = fonts_.find(key); found != fonts_.end()) {
    found->second.last_use = ++clock_;
    return found->second.font;
  }
  if (fonts_.size() >= kMaxOpenFonts) {
    auto oldest = std::min_element(fonts_.begin(), fonts_.end(), [](auto& a, auto& b) {
      return a.second.last_use < b.second.last_use;
    });
    TTF_CloseFont(oldest->second.font);
    fonts_.erase(oldest);
  }
  const FontFace& font_face = font_set_->Face(face);
  TTF_Font* font = TTF_OpenFontIndex(font_face.file.c_str(), size, font_face.index);
  if (font != nullptr) fonts_[key] = OpenFont{font, ++clock_};
  return font;
}

FontCoverage TextCache::Coverage() {
  FontSet* set = font_set_.get();
  return FontCoverage{[set](char32_t c) { return set->FirstWith(c); },
                      [set](int font, char32_t c) { return set->Has(font, c); }};
}

// Each run in its font and script (the shaper needs the script for Thai, Myanmar and the
// like), then the runs side by side on one baseline.
SDL_Surface* TextCache::RenderNew(std::u32string_view text, int size, Rgb fg, Rgb bg) {
  if (text.empty()) return nullptr;
  const SDL_Color fore{fg.red, fg.green, fg.blue, 255};
  const SDL_Color back{bg.red, bg.green, bg.blue, 255};
  std::vector<RunImage> images;
  for (const FontRun& run : Runs(text)) {
    TTF_Font* font = Font(run.font, size);
    if (font == nullptr) continue;
    TTF_SetFontScriptName(font, run.script.c_str());
    const std::string utf8 = Utf8Of(text.substr(run.begin, run.end - run.begin));
    if (SDL_Surface* shaded = TTF_RenderUTF8_Shaded(font, utf8.c_str(), fore, back)) {
      images.push_back(RunImage{shaded, TTF_FontAscent(font)});
    }
  }
  SDL_Surface* line = Compose(images, bg);
  for (const RunImage& image : images) SDL_FreeSurface(image.surface);
  return line;
}

SDL_Surface* TextCache::Compose(const std::vector<RunImage>& runs, Rgb bg) {
  int width = 0;
  int ascent = 0;
  int descent = 0;
  for (const RunImage& run : runs) {
    width += run.surface->w;
    ascent = std::max(ascent, run.ascent);
    descent = std::max(descent, run.surface->h - run.ascent);
  }
  if (width <= 0 || ascent + descent <= 0) return nullptr;
  SDL_Surface* line =
      SDL_CreateRGBSurfaceWithFormat(0, width, ascent + descent, 32, SDL_PIXELFORMAT_XRGB8888);
  if (line == nullptr) return nullptr;
  SDL_FillRect(line, nullptr, SDL_MapRGB(line->format, bg.red, bg.green, bg.blue));
  int x = 0;
  for (const RunImage& run : runs) {
    SDL_Rect to{x, ascent - run.ascent, run.surface->w, run.surface->h};
    SDL_BlitSurface(run.surface, nullptr, line, &to);
    x += run.surface->w;
  }
  return line;
}

std::u32string TextCache::Missing(std::u32string_view code_points, int size) {
  if (!Start()) return std::u32string(code_points);
  std::u32string missing;
  for (const FontRun& run : Runs(code_points)) {
    TTF_Font* font = Font(run.font, size);
    for (std::size_t i = run.begin; i < run.end; ++i) {
      const char32_t c = code_points[i];
      if (IsInvisibleCharacter(c)) continue;
      if (font == nullptr || TTF_GlyphIsProvided32(font, c) == 0) missing.push_back(c);
    }
  }
  return missing;
}

void TextCache::Report(std::u32string_view text, int size) {
  std::string fonts;
  for (const FontRun& run : Runs(text)) {
    const std::string& file = font_set_->Face(run.font).file;
    const std::string name = file.substr(file.find_last_of('/') + 1);
    if (fonts.find(name) == std::string::npos) fonts += (fonts.empty() ? "" : "+") + name;
  }
  std::string missing;
  for (char32_t c : Missing(text, size)) {
    char code[16];
    std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(c));
    missing += code;
  }
  std::fprintf(stderr, "cyclune-trace: text \"%s\" size %d fonts %s missing%s\n",
               Utf8Of(text).c_str(), size, fonts.c_str(),
               missing.empty() ? " none" : missing.c_str());
}

void TextCache::EvictOldest() {
  auto found = lines_.find(recent_.back());
  bytes_ -= static_cast<std::size_t>(found->second.surface->pitch) *
            static_cast<std::size_t>(found->second.surface->h);
  SDL_FreeSurface(found->second.surface);
  lines_.erase(found);
  recent_.pop_back();
}

void TextCache::Remember(const std::string& key, SDL_Surface* surface) {
  const std::size_t bytes =
      static_cast<std::size_t>(surface->pitch) * static_cast<std::size_t>(surface->h);
  while (!recent_.empty() &&
         (lines_.size() >= kMaxCachedLines || bytes_ + bytes > kMaxCachedBytes)) {
    EvictOldest();
  }
  recent_.push_front(key);
  lines_[key] = CachedLine{surface, recent_.begin()};
  bytes_ += bytes;
}

bool TextCache::Render(std::u16string_view text, int size, Rgb fg, Rgb bg, TextImage* out) {
  if (!Start()) return false;
  TTF_Font* primary = Font(0, size);
  if (primary == nullptr) return false;
  const std::u32string code_points = CodePoints(text);
  std::string key = Utf8Of(code_points);
  key.push_back('\0');
  const auto pixel_size = static_cast<std::uint32_t>(size);
  key.append(reinterpret_cast<const char*>(&pixel_size), sizeof pixel_size);
  for (const Rgb colour : {fg, bg}) {
    key.append({static_cast<char>(colour.red), static_cast<char>(colour.green),
                static_cast<char>(colour.blue)});
  }
  SDL_Surface* surface = nullptr;
  if (auto found = lines_.find(key); found != lines_.end()) {
    recent_.splice(recent_.begin(), recent_, found->second.position);
    surface = found->second.surface;
  } else if ((surface = RenderNew(code_points, size, fg, bg)) != nullptr) {
    Remember(key, surface);
    if (TextTracesWanted()) Report(code_points, size);
  }
  *out = TextImage{};
  out->height = TTF_FontHeight(primary);
  if (surface != nullptr) {
    out->width = surface->w;
    out->height = surface->h;
    out->pitch = surface->pitch / 4;
    out->pixels = static_cast<const std::uint32_t*>(surface->pixels);
  }
  return true;
}

}  // namespace

int FontSizeForHeight(std::int64_t rect_height) {
  return static_cast<int>(
      std::clamp<std::int64_t>(rect_height * 55 / 100, kMinFontSize, kMaxFontSize));
}

bool RenderTextLine(std::u16string_view text, int font_size, Rgb foreground, Rgb background,
                    TextImage* image) {
  static bool release_at_exit = false;
  if (!release_at_exit) release_at_exit = std::atexit(ReleaseTextResources) == 0;
  if (g_cache == nullptr) g_cache = new TextCache();
  return g_cache->Render(text, font_size, foreground, background, image);
}

void DropCachedText() {
  if (g_cache == nullptr) return;
  g_cache->Drop();
  // The renderings of a large size were taken from the heap, whose freed middle glibc keeps
  // mapped unless asked to give it back.
  malloc_trim(0);
}

void ReleaseTextResources() {
  delete g_cache;
  g_cache = nullptr;
}

std::u32string MissingGlyphs(std::u16string_view text, int font_size) {
  static bool release_at_exit = false;
  if (!release_at_exit) release_at_exit = std::atexit(ReleaseTextResources) == 0;
  if (g_cache == nullptr) g_cache = new TextCache();
  return g_cache->Missing(CodePoints(text), font_size);
}
