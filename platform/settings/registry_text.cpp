// Parsing of the registry export text format. The parser never stops early: a line it cannot
// understand is dropped (the parse becomes unclean) and the next line is read, so a damaged file
// still yields every value that survived. Each byte is looked at a bounded number of times.
#include "platform/settings/registry_text.h"

#include <string>

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// Control characters (tab aside) never occur in a line written by the registry editor; a CR
// alone, a NUL or other binary bytes mean the line is not text.
bool IsTextLine(std::string_view line) {
  for (char c : line) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return false;
  }
  return Utf8ToUtf16(line, nullptr);
}

// Reads `"..."` starting at s[*i] (which must be the quote); only \\ and \" are escapes.
bool ReadQuoted(std::string_view s, std::size_t* i, std::u16string* out) {
  std::string raw;
  std::size_t j = *i + 1;
  while (j < s.size()) {
    char c = s[j];
    if (c == '"') {
      *i = j + 1;
      return Utf8ToUtf16(raw, out);
    }
    if (c == '\\') {
      if (j + 1 >= s.size() || (s[j + 1] != '\\' && s[j + 1] != '"')) return false;
      c = s[++j];
    }
    raw += c;
    ++j;
  }
  return false;
}

std::vector<std::uint8_t> Utf16Bytes(const std::u16string& text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(2 * text.size() + 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

// UTF-16LE input (a file saved by the registry editor itself) becomes UTF-8 before parsing;
// damaged units become U+FFFD and make the parse unclean.
bool Utf16LeToUtf8(std::string_view bytes, std::string* out) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  bool ok = Utf16ToUtf8(units, out);
  return ok && bytes.size() % 2 == 0;
}

class Parser {
 public:
  explicit Parser(std::string_view bytes) : bytes_(bytes) {}

  RegTextParse Run() {
    std::string_view line;
    bool first = true;
    while (NextLine(&line)) {
      if (first) {
        first = false;
        if (TrimRight(line) == kHeader) continue;
        Problem("the header line \"Windows Registry Editor Version 5.00\" is missing");
      }
      ParseLine(line);
    }
    if (!last_had_end_) Problem("the last line has no line end (the file may be cut short)");
    return std::move(result_);
  }

  void Problem(std::string_view what) {
    if (!result_.clean) return;
    result_.clean = false;
    result_.problem = "line " + std::to_string(line_number_) + ": " + std::string(what);
  }

 private:
  bool NextLine(std::string_view* line) {
    if (pos_ >= bytes_.size()) return false;
    std::size_t end = bytes_.find('\n', pos_);
    last_had_end_ = end != std::string_view::npos;
    if (!last_had_end_) end = bytes_.size();
    *line = bytes_.substr(pos_, end - pos_);
    pos_ = last_had_end_ ? end + 1 : end;
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    ++line_number_;
    return true;
  }

  void ParseLine(std::string_view line) {
    if (!IsTextLine(line)) return Problem("not text (control characters or malformed UTF-8)");
    std::string_view t = TrimLeft(line);
    if (t.empty() || t[0] == ';')
      return Add(RegTextEntry{RegLineKind::kComment, {}, 0, {}, std::string(line)});
    if (t[0] == '[') return ParseSection(line, t);
    if (t[0] == '"' || t[0] == '@') return ParseValue(line, t);
    Problem("not a key, value or comment");
  }

  void Add(RegTextEntry entry) {
    if (result_.document.sections.empty()) {
      if (entry.kind != RegLineKind::kComment) return Problem("a value before the first key");
      result_.document.preamble.push_back(std::move(entry));
    } else {
      result_.document.sections.back().entries.push_back(std::move(entry));
    }
  }

  void ParseSection(std::string_view line, std::string_view t) {
    t = TrimRight(t);
    if (t.size() < 2 || t.back() != ']') return Problem("a key line must end with ']'");
    std::string_view inner = t.substr(1, t.size() - 2);
    RegTextSection section;
    if (!inner.empty() && inner[0] == '-') {
      section.removal = true;
      inner.remove_prefix(1);
    }
    if (inner.empty() || !Utf8ToUtf16(inner, &section.path)) return Problem("empty key path");
    section.text = std::string(line);
    result_.document.sections.push_back(std::move(section));
  }

  void ParseValue(std::string_view line, std::string_view t) {
    RegTextEntry entry;
    entry.kind = RegLineKind::kValue;
    entry.text = std::string(line);
    std::size_t i = 1;  // after "@"
    if (t[0] == '"') {
      i = 0;
      if (!ReadQuoted(t, &i, &entry.name)) return Problem("malformed value name");
    }
    std::string_view rest = TrimLeft(t.substr(i));
    if (rest.empty() || rest[0] != '=') return Problem("'=' expected after the value name");
    rest = TrimLeft(rest.substr(1));
    if (!ParseData(rest, &entry)) return;
    Add(std::move(entry));
  }

  bool ParseData(std::string_view rest, RegTextEntry* entry) {
    if (TrimRight(rest) == "-") {
      entry->kind = RegLineKind::kRemoval;
      return true;
    }
    if (!rest.empty() && rest[0] == '"') {
      std::size_t i = 0;
      std::u16string text;
      if (!ReadQuoted(rest, &i, &text) || !TrimLeft(rest.substr(i)).empty()) {
        Problem("malformed string value");
        return false;
      }
      entry->type = REG_SZ;
      entry->data = Utf16Bytes(text);
      return true;
    }
    if (StartsWithNoCase(rest, "dword:")) return ParseDword(rest.substr(6), entry);
    if (StartsWithNoCase(rest, "hex")) return ParseHex(rest.substr(3), entry);
    Problem("unknown value form (expected \"text\", dword:, hex: or hex(N):)");
    return false;
  }

  bool ParseDword(std::string_view digits, RegTextEntry* entry) {
    digits = TrimRight(digits);
    std::uint32_t value = 0;
    bool ok = digits.size() == 8;
    for (std::size_t i = 0; ok && i < 8; ++i) {
      int d = HexDigit(digits[i]);
      ok = d >= 0;
      value = (value << 4) | static_cast<std::uint32_t>(d < 0 ? 0 : d);
    }
    if (!ok) {
      Problem("a dword needs exactly eight hex digits");
      return false;
    }
    entry->type = REG_DWORD;
    entry->data = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return true;
  }

  // After "hex": either ":" (REG_BINARY) or "(N):" with N in hex.
  bool ParseHex(std::string_view rest, RegTextEntry* entry) {
    entry->type = REG_BINARY;
    if (!rest.empty() && rest[0] == '(') {
      std::size_t close = rest.find(')');
      std::string_view digits = rest.substr(1, close == std::string_view::npos ? 0 : close - 1);
      bool ok = !digits.empty() && digits.size() <= 8;
      std::uint32_t type = 0;
      for (char c : digits) {
        ok = ok && HexDigit(c) >= 0;
        type = (type << 4) | static_cast<std::uint32_t>(ok ? HexDigit(c) : 0);
      }
      if (!ok) {
        Problem("malformed hex(N) type");
        return false;
      }
      entry->type = type;
      rest = rest.substr(close + 1);
    }
    if (rest.empty() || rest[0] != ':') {
      Problem("':' expected after hex");
      return false;
    }
    return ParseHexBytes(rest.substr(1), entry);
  }

  // Comma-separated bytes; a trailing backslash continues the list on the next line.
  bool ParseHexBytes(std::string_view s, RegTextEntry* entry) {
    std::size_t i = 0;
    for (;;) {
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i == s.size()) return true;
      if (s[i] == '\\') {
        std::string_view next;
        if (!TrimLeft(s.substr(i + 1)).empty() || !NextLine(&next) || !IsTextLine(next)) {
          Problem("malformed or unfinished continued hex value");
          return false;
        }
        entry->text += '\n';
        entry->text += next;
        s = next;
        i = 0;
        continue;
      }
      int high = HexDigit(s[i]);
      int low = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
      if (high < 0) break;
      entry->data.push_back(static_cast<std::uint8_t>(low < 0 ? high : high * 16 + low));
      i += low < 0 ? 1 : 2;
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i < s.size() && s[i] == ',')
        ++i;
      else if (i < s.size() && s[i] != '\\')
        break;
    }
    Problem("malformed hex bytes");
    return false;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::size_t line_number_ = 0;
  bool last_had_end_ = true;
  RegTextParse result_;
};

}  // namespace

RegTextParse ParseRegText(std::string_view bytes) {
  std::string converted;
  bool malformed = false;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    malformed = !Utf16LeToUtf8(bytes.substr(2), &converted);
    bytes = converted;
  } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  }
  Parser parser(bytes);
  if (malformed) parser.Problem("malformed UTF-16");
  return parser.Run();
}
