#include "platform/unicode.h"

namespace {

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

char32_t NextCodePoint(std::u16string_view text, std::size_t* at) {
  const char32_t unit = text[(*at)++];
  if (IsHighSurrogate(unit) && *at < text.size() && IsLowSurrogate(text[*at])) {
    const char32_t low = text[(*at)++];
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);  // [0x10000, 0x10FFFF]
  }
  return IsSurrogate(unit) ? kReplacementCharacter : unit;
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool Utf8ToUtf16(std::string_view in, std::u16string* out) {
  if (out != nullptr) {
    out->clear();
    out->reserve(in.size());
  }
  std::size_t i = 0;
  while (i < in.size()) {
    auto lead = static_cast<unsigned char>(in[i]);
    std::size_t extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
      extra = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
      extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
      extra = 3;
    else if (lead >= 0x80)
      return false;
    if (in.size() - i <= extra) return false;
    char32_t cp = extra == 0 ? lead : lead & (0x7Fu >> (extra + 1));
    for (std::size_t k = 1; k <= extra; ++k) {
      auto next = static_cast<unsigned char>(in[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};  // no overlong forms
    if (cp < kMinimum[extra] || cp > 0x10FFFF || IsSurrogate(cp)) return false;
    i += extra + 1;
    if (out == nullptr) continue;
    if (cp >= 0x10000) {
      out->push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out->push_back(static_cast<char16_t>(cp));
    }
  }
  return true;
}

bool Utf16ToUtf8(std::u16string_view in, std::string* out) {
  out->clear();
  out->reserve(in.size());
  bool ok = true;
  for (std::size_t at = 0; at < in.size();) {
    const bool surrogate = IsSurrogate(in[at]);
    const std::size_t start = at;
    const char32_t cp = NextCodePoint(in, &at);
    if (surrogate && at == start + 1) ok = false;  // unpaired
    AppendUtf8(cp, out);
  }
  return ok;
}

std::string Utf16ToUtf8(std::u16string_view in) {
  std::string out;
  Utf16ToUtf8(in, &out);
  return out;
}
