// The registry export text format as an editable document. Parsing keeps every line it
// understands, with its original text, so that writing the document back reproduces the file
// line for line except where values were changed; lines it cannot understand are dropped and
// reported, so the caller can keep the original aside before replacing it.
//
// The format: a header line "Windows Registry Editor Version 5.00", then sections
//   [HKEY_LOCAL_MACHINE\Software\Tamberlock\Cyclune]   a key ("[-path]" deletes a key)
//   "CycleLength"=dword:0000001c                        exactly eight hex digits
//   "Name"="text"                                       REG_SZ, escapes \\ and \"
//   "Blob"=hex:01,02,\                                  REG_BINARY, "\" continues the line
//     03
//   "Other"=hex(7):41,00,00,00                          any type as hex(N)
//   @="default"                                         the key's default value
//   "Gone"=-                                            deletes a value
//   ; comment
// Input may be UTF-8 (with or without a byte-order mark) or UTF-16LE with its mark, with LF
// or CRLF line ends. Output is UTF-8 without a mark, with LF line ends throughout: the file
// lives on Linux, where editors, diff and grep expect LF and a hand edit then never mixes the
// two, while the registry editor's import reads LF line ends as well as CRLF. Every parse and
// lookup runs in time linear in the size of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/unicode.h"

// Value types, by the numbers the format gives them.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;  // four bytes, little-endian
constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr std::uint32_t REG_LINK = 6;
constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::uint32_t REG_QWORD = 11;  // eight bytes, little-endian

enum class RegLineKind {
  kComment,  // a blank line or a "; ..." line, kept as written
  kValue,    // name=data
  kRemoval,  // name=- : deletes the value when imported
};

// One line of a section (a value written over continued lines is one entry).
struct RegTextEntry {
  RegLineKind kind = RegLineKind::kComment;
  std::u16string name;  // value name; empty for the default value "@"
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;  // as stored: REG_SZ text is UTF-16LE with its terminating NUL
  std::string text;                // the lines as read, joined by '\n'; empty: written canonically
};

struct RegTextSection {
  std::u16string path;   // the key path as written, root name first
  bool removal = false;  // "[-path]": deletes the key and all keys below it
  std::string text;      // the header line as read; empty: written canonically
  std::vector<RegTextEntry> entries;
};

struct RegTextDocument {
  std::vector<RegTextEntry> preamble;  // comment lines before the first section
  std::vector<RegTextSection> sections;
};

struct RegTextParse {
  RegTextDocument document;
  bool clean =
      true;  // false when anything was dropped, malformed or missing (header, final line end)
  std::string problem;  // the first problem, e.g. "line 7: not a key, value or comment"
};

// One value of a key as an import would leave it.
struct RegKeyValue {
  std::u16string name;
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
};

// Parses any byte sequence; what cannot be understood is left out and makes the result unclean.
RegTextParse ParseRegText(std::string_view bytes);

// Writes the document: header, blank line as read, and every line, canonically where it has no
// text.
std::string SerializeRegText(const RegTextDocument& document);

// Writes one value entry the way the registry editor exports it (may span continued lines).
std::string RenderRegValue(const RegTextEntry& entry);

// True when importing the document leaves the key at `path` in place.
bool RegKeyExists(const RegTextDocument& document, std::u16string_view path);

// The values that importing the document leaves in the key at `path`, later lines winning.
std::vector<RegKeyValue> ResolveRegKey(const RegTextDocument& document, std::u16string_view path);

// Adds an empty section for `path` at the end unless the key exists.
void EnsureRegKey(RegTextDocument& document, std::u16string_view path);

// Sets a value in the last section of `path` (appending one when needed): the last line of
// that name in the section is replaced in place, other lines of that name there are dropped,
// a new value goes after the section's last non-blank line.
void SetRegValue(RegTextDocument& document, std::u16string_view path, const RegKeyValue& value);

// Names compare as the registry compares them: each UTF-16 unit by its upper case.
bool RegNamesEqual(std::u16string_view a, std::u16string_view b);

// True when `name` can be written to the file and read back (no control character other than
// tab, no unpaired surrogate).
bool IsStorableRegName(std::u16string_view name);
