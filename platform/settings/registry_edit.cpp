// Writing, looking up and editing a parsed registry document. Lookups replay the document the
// way an import would (sections in order, later lines winning, "[-key]" and "=-" deleting), so a
// value is read exactly as the registry editor would leave it.
#include <unicode/uchar.h>

#include <cstdio>
#include <unordered_map>

#include "platform/settings/registry_text.h"

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// Registry names compare by the upper case of each UTF-16 unit.
std::u16string Fold(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& unit : folded) {
    UChar32 upper = u_toupper(unit);
    if (upper >= 0 && upper <= 0xFFFF) unit = static_cast<char16_t>(upper);
  }
  return folded;
}

// True when `key` is `top` or lies below it; both folded.
bool Covers(const std::u16string& top, const std::u16string& key) {
  if (key.size() < top.size() || key.compare(0, top.size(), top) != 0) return false;
  return key.size() == top.size() || key[top.size()] == u'\\';
}

std::string Quote(std::u16string_view text) {
  std::string utf8;
  Utf16ToUtf8(text, &utf8);
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// REG_SZ data that the quoted form reproduces exactly: one terminating NUL, none inside, no
// line-breaking control characters, valid UTF-16. Anything else is written as hex(1).
bool StringForm(const std::vector<std::uint8_t>& data, std::u16string* text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::size_t units = data.size() / 2 - 1;
  if (data[2 * units] != 0 || data[2 * units + 1] != 0) return false;
  text->clear();
  for (std::size_t i = 0; i < units; ++i) {
    auto unit = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    text->push_back(unit);
  }
  return IsStorableRegName(*text);
}

void AppendHex(const RegTextEntry& entry, std::string* out) {
  char buffer[24];
  if (entry.type == REG_BINARY) {
    *out += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(entry.type));
    *out += buffer;
  }
  // Lines stay within 80 columns, continued with "\" and two spaces as the editor exports them.
  std::size_t line_start = out->rfind('\n') == std::string::npos ? 0 : out->rfind('\n') + 1;
  for (std::size_t i = 0; i < entry.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(entry.data[i]));
    std::size_t piece = i + 1 < entry.data.size() ? 3 : 2;
    if (i > 0 && out->size() - line_start + piece > 78) {
      *out += "\\\n  ";
      line_start = out->size() - 2;
    }
    *out += buffer;
    if (piece == 3) *out += ',';
  }
}

bool IsBlankLine(const RegTextEntry& entry) {
  return entry.kind == RegLineKind::kComment &&
         entry.text.find_first_not_of(" \t") == std::string::npos;
}

// A new section is set off from what precedes it by a blank line, as exported files are.
void AppendSection(RegTextDocument& document, std::u16string_view path) {
  std::vector<RegTextEntry>& before =
      document.sections.empty() ? document.preamble : document.sections.back().entries;
  bool after_header_line = before.empty();
  if (after_header_line || !IsBlankLine(before.back())) before.push_back(RegTextEntry{});
  RegTextSection section;
  section.path = std::u16string(path);
  section.entries.push_back(RegTextEntry{});
  document.sections.push_back(std::move(section));
}

}  // namespace

bool RegNamesEqual(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

bool IsStorableRegName(std::u16string_view name) {
  for (char16_t unit : name) {
    if (unit < 0x20 && unit != u'\t') return false;
  }
  std::string ignored;
  return Utf16ToUtf8(name, &ignored);
}

std::string RenderRegValue(const RegTextEntry& entry) {
  std::string out = entry.name.empty() ? std::string("@") : Quote(entry.name);
  out += '=';
  std::u16string text;
  if (entry.kind == RegLineKind::kRemoval) {
    out += '-';
  } else if (entry.type == REG_DWORD && entry.data.size() == 4) {
    char digits[16];
    std::uint32_t value = static_cast<std::uint32_t>(entry.data[0]) |
                          (static_cast<std::uint32_t>(entry.data[1]) << 8) |
                          (static_cast<std::uint32_t>(entry.data[2]) << 16) |
                          (static_cast<std::uint32_t>(entry.data[3]) << 24);
    std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(value));
    out += digits;
  } else if (entry.type == REG_SZ && StringForm(entry.data, &text)) {
    out += Quote(text);
  } else {
    AppendHex(entry, &out);
  }
  return out;
}

std::string SerializeRegText(const RegTextDocument& document) {
  std::string out(kHeader);
  out += '\n';
  auto line = [&out](const RegTextEntry& entry) {
    out += entry.kind == RegLineKind::kComment || !entry.text.empty() ? entry.text
                                                                      : RenderRegValue(entry);
    out += '\n';
  };
  for (const RegTextEntry& entry : document.preamble) line(entry);
  for (const RegTextSection& section : document.sections) {
    if (section.text.empty()) {
      std::string path;
      Utf16ToUtf8(section.path, &path);
      out += (section.removal ? "[-" : "[") + path + "]";
    } else {
      out += section.text;
    }
    out += '\n';
    for (const RegTextEntry& entry : section.entries) line(entry);
  }
  return out;
}

bool RegKeyExists(const RegTextDocument& document, std::u16string_view path) {
  const std::u16string key = Fold(path);
  bool exists = false;
  for (const RegTextSection& section : document.sections) {
    const std::u16string folded = Fold(section.path);
    if (section.removal && Covers(folded, key)) exists = false;
    if (!section.removal && Covers(key, folded)) exists = true;
  }
  return exists;
}

std::vector<RegKeyValue> ResolveRegKey(const RegTextDocument& document, std::u16string_view path) {
  const std::u16string key = Fold(path);
  std::vector<RegKeyValue> values;
  std::vector<bool> present;
  std::unordered_map<std::u16string, std::size_t> index;  // folded name -> position in values
  for (const RegTextSection& section : document.sections) {
    const std::u16string folded = Fold(section.path);
    if (section.removal && Covers(folded, key)) {
      values.clear();
      present.clear();
      index.clear();
    }
    if (section.removal || folded != key) continue;
    for (const RegTextEntry& entry : section.entries) {
      if (entry.kind == RegLineKind::kComment) continue;
      auto [it, added] = index.try_emplace(Fold(entry.name), values.size());
      if (added) {
        values.push_back(RegKeyValue{entry.name, 0, {}});
        present.push_back(false);
      }
      present[it->second] = entry.kind == RegLineKind::kValue;
      values[it->second].type = entry.type;
      values[it->second].data = entry.data;
    }
  }
  std::vector<RegKeyValue> result;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (present[i]) result.push_back(std::move(values[i]));
  }
  return result;
}

void EnsureRegKey(RegTextDocument& document, std::u16string_view path) {
  if (!RegKeyExists(document, path)) AppendSection(document, path);
}

void SetRegValue(RegTextDocument& document, std::u16string_view path, const RegKeyValue& value) {
  const std::u16string key = Fold(path);
  std::size_t target = document.sections.size();
  for (std::size_t i = 0; i < document.sections.size(); ++i) {
    const RegTextSection& section = document.sections[i];
    const std::u16string folded = Fold(section.path);
    if (section.removal && Covers(folded, key)) target = document.sections.size();
    if (!section.removal && folded == key) target = i;
  }
  if (target == document.sections.size()) AppendSection(document, path);
  std::vector<RegTextEntry>& entries = document.sections[target].entries;

  const std::u16string name = Fold(value.name);
  std::size_t last = entries.size();
  std::size_t after_content = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].kind != RegLineKind::kComment && Fold(entries[i].name) == name) last = i;
    if (!IsBlankLine(entries[i])) after_content = i + 1;
  }
  RegTextEntry entry{RegLineKind::kValue, value.name, value.type, value.data, {}};
  if (last == entries.size()) {
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(after_content), std::move(entry));
    return;
  }
  entry.name = entries[last].name;  // the name keeps the spelling it has in the file
  std::vector<RegTextEntry> kept;
  kept.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i == last)
      kept.push_back(std::move(entry));
    else if (entries[i].kind == RegLineKind::kComment || Fold(entries[i].name) != name)
      kept.push_back(std::move(entries[i]));
  }
  entries = std::move(kept);
}
