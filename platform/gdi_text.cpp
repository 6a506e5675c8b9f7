#include "platform/gdi_text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <map>
#include <unordered_map>

#include "platform/canvas.h"

namespace {

// Bounds of what text drawing keeps between paints: a month view needs a few dozen lines
// per window size; the limits only stop a long run of resizes from growing without end.
constexpr std::size_t kMaxCachedLines = 2048;
constexpr std::size_t kMaxCachedBytes = std::size_t{48} << 20;
constexpr std::size_t kMaxOpenFonts = 12;
constexpr int kMinFontSize = 6;
constexpr int kMaxFontSize = 400;

const char* const kFallbackFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

// fontconfig is asked once and shut down straight after, so that it holds nothing for the
// rest of the process (and nothing is left for the leak checker at exit).
std::string FindDefaultSansFont() {
  std::string path;
  if (FcConfig* config = FcInitLoadConfigAndFonts()) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern != nullptr) {
      FcConfigSubstitute(config, pattern, FcMatchPattern);
      FcDefaultSubstitute(pattern);
      FcResult result = FcResultNoMatch;
      if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
          path = reinterpret_cast<const char*>(file);
        }
        FcPatternDestroy(match);
      }
      FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    FcFini();
  }
  if (path.empty()) {
    for (const char* fallback : kFallbackFonts) {
      if (SDL_RWops* file = SDL_RWFromFile(fallback, "rb")) {
        SDL_RWclose(file);
        return fallback;
      }
    }
  }
  return path;
}

struct CachedLine {
  SDL_Surface* surface;
  std::list<std::string>::iterator position;
};

struct OpenFont {
  TTF_Font* font;
  std::uint64_t last_use;
};

class TextCache {
 public:
  ~TextCache() {
    for (auto& [key, line] : lines_) SDL_FreeSurface(line.surface);
    for (auto& [size, open] : fonts_) TTF_CloseFont(open.font);
    if (started_ttf_) TTF_Quit();
  }

  bool Render(std::u16string_view text, int size, COLORREF fg, COLORREF bg, TextImage* out);

 private:
  TTF_Font* Font(int size);
  SDL_Surface* RenderNew(const std::string& utf8, TTF_Font* font, COLORREF fg, COLORREF bg);
  void Remember(const std::string& key, SDL_Surface* surface);
  void EvictOldest();

  std::unordered_map<std::string, CachedLine> lines_;
  std::list<std::string> recent_;  // most recently used first
  std::size_t bytes_ = 0;
  std::map<int, OpenFont> fonts_;
  std::uint64_t clock_ = 0;
  std::string font_path_;
  bool looked_for_font_ = false;
  bool started_ttf_ = false;
};

TextCache* g_cache = nullptr;

TTF_Font* TextCache::Font(int size) {
  if (auto found = fonts_.find(size); found != fonts_.end()) {
    found->second.last_use = ++clock_;
    return found->second.font;
  }
  if (!looked_for_font_) {
    looked_for_font_ = true;
    font_path_ = FindDefaultSansFont();
    // Initialisation is counted, so our fonts stay valid whatever other users of the
    // library do; our TTF_Quit is paired with this call.
    started_ttf_ = TTF_Init() == 0;
  }
  if (font_path_.empty() || !started_ttf_) return nullptr;
  if (fonts_.size() >= kMaxOpenFonts) {
    auto oldest = std::min_element(fonts_.begin(), fonts_.end(), [](auto& a, auto& b) {
      return a.second.last_use < b.second.last_use;
    });
    TTF_CloseFont(oldest->second.font);
    fonts_.erase(oldest);
  }
  TTF_Font* font = TTF_OpenFont(font_path_.c_str(), size);
  if (font != nullptr) fonts_[size] = OpenFont{font, ++clock_};
  return font;
}

SDL_Surface* TextCache::RenderNew(const std::string& utf8, TTF_Font* font, COLORREF fg,
                                  COLORREF bg) {
  if (utf8.empty()) return nullptr;
  const SDL_Color fore{GetRValue(fg), GetGValue(fg), GetBValue(fg), 255};
  const SDL_Color back{GetRValue(bg), GetGValue(bg), GetBValue(bg), 255};
  SDL_Surface* shaded = TTF_RenderUTF8_Shaded(font, utf8.c_str(), fore, back);
  if (shaded == nullptr) return nullptr;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(shaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(shaded);
  return converted;
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

bool TextCache::Render(std::u16string_view text, int size, COLORREF fg, COLORREF bg,
                       TextImage* out) {
  TTF_Font* font = Font(size);
  if (font == nullptr) return false;
  const std::string utf8 = Utf16ToUtf8(text);
  std::string key = utf8;
  key.push_back('\0');
  for (std::uint32_t part : {static_cast<std::uint32_t>(size), fg, bg}) {
    key.append(reinterpret_cast<const char*>(&part), sizeof part);
  }
  SDL_Surface* surface = nullptr;
  if (auto found = lines_.find(key); found != lines_.end()) {
    recent_.splice(recent_.begin(), recent_, found->second.position);
    surface = found->second.surface;
  } else if ((surface = RenderNew(utf8, font, fg, bg)) != nullptr) {
    Remember(key, surface);
  }
  *out = TextImage{};
  out->height = TTF_FontHeight(font);
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
  return static_cast<int>(std::clamp<std::int64_t>(rect_height * 55 / 100, kMinFontSize,
                                                   kMaxFontSize));
}

bool RenderTextLine(std::u16string_view text, int font_size, COLORREF foreground,
                    COLORREF background, TextImage* image) {
  static bool release_at_exit = false;
  if (!release_at_exit) release_at_exit = std::atexit(ReleaseTextResources) == 0;
  if (g_cache == nullptr) g_cache = new TextCache();
  return g_cache->Render(text, font_size, foreground, background, image);
}

void ReleaseTextResources() {
  delete g_cache;
  g_cache = nullptr;
}
