#include "platform/text/unicode.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The bytes of the UTF-8 sequence that `lead` starts; 1 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  return 1;
}

// The code point of the `length` bytes at `bytes`, as SequenceLength measured them; a stray
// byte gives U+FFFD.
char32_t CodePointAt(const char* bytes, std::size_t length) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (length == 1) return lead < 0x80 ? lead : kReplacementCharacter;
  char32_t c = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    c = c << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3Fu);
  }
  return c;
}

// The character set of the user's locale, looked up without changing this process's own.
std::string UserCharset() {
  const locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) return "ASCII";
  std::string charset = nl_langinfo_l(CODESET, user);
  freelocale(user);
  return charset;
}

// Converts all of `in` with `converter`, a '?' for each character the target set lacks.
std::string ConvertReplacing(iconv_t converter, std::string_view in) {
  std::string out;
  char* next = const_cast<char*>(in.data());  // iconv reads through a non-const pointer only
  std::size_t left = in.size();
  while (left > 0) {
    char buffer[512];
    char* end = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t done = iconv(converter, &next, &left, &end, &room);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
    if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ: a character the set lacks (or a stray byte); EINVAL: a sequence cut short.
    const std::size_t skip = std::min(left, SequenceLength(static_cast<unsigned char>(*next)));
    out.push_back(StandInFor(CodePointAt(next, skip)));
    next += skip;
    left -= skip;
  }
  return out;
}

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

std::string Utf8ToLocaleCharset(std::string_view utf8) {
  const std::string charset = UserCharset();
  if (charset == "UTF-8") return std::string(utf8);
  iconv_t converter = iconv_open(charset.c_str(), "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open("ASCII", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string text = ConvertReplacing(converter, utf8);
  iconv_close(converter);
  return text;
}

std::u16string SystemNameText(std::string_view name) {
  std::u16string wide;
  if (Utf8ToUtf16(name, &wide)) return wide;
  wide.clear();
  for (char c : name) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return wide;
}
