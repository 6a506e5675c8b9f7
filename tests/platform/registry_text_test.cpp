// The .reg text format: what a line means, what an import would leave in a key, and that
// writing a document back changes nothing but the values that were set.
#include "platform/settings/registry_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kKey[] = "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n";
constexpr char16_t kPath[] = u"HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune";
constexpr char kHead[] = "Windows Registry Editor Version 5.00\n\n";

std::optional<RegKeyValue> Lookup(const RegTextDocument& document, std::u16string_view name,
                                  std::u16string_view path = kPath) {
  for (RegKeyValue& value : ResolveRegKey(document, path)) {
    if (RegNamesEqual(value.name, name)) return value;
  }
  return std::nullopt;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<std::uint8_t> bytes;
  for (int b : list) bytes.push_back(static_cast<std::uint8_t>(b));
  return bytes;
}

struct ParseCase {
  const char* what;
  std::string text;
  bool clean;
  std::optional<std::uint32_t> type;  // nullopt: "CycleLength" must be absent
  std::vector<std::uint8_t> data;
};

TEST(RegistryText, ReadsWhatAnImportWouldLeave) {
  const std::string head = kHead, key = kKey;
  const std::vector<std::uint8_t> days = Bytes({0x1c, 0, 0, 0});
  const ParseCase cases[] = {
      {"dword", head + key + "\"CycleLength\"=dword:0000001c\n", true, REG_DWORD, days},
      {"dword in capitals", head + key + "\"CycleLength\"=DWORD:0000001C\n", true, REG_DWORD, days},
      {"dword of seven digits (a cut line)",
       head + key + "\"CycleLength\"=dword:0000001\n",
       false,
       {},
       {}},
      {"dword of nine digits", head + key + "\"CycleLength\"=dword:00000001c\n", false, {}, {}},
      {"dword with trailing text",
       head + key + "\"CycleLength\"=dword:0000001c x\n",
       false,
       {},
       {}},
      {"string", head + key + "\"CycleLength\"=\"2\\\\8\\\"\"\n", true, REG_SZ,
       Bytes({'2', 0, '\\', 0, '8', 0, '"', 0, 0, 0})},
      {"string with an unknown escape", head + key + "\"CycleLength\"=\"2\\n8\"\n", false, {}, {}},
      {"unterminated string", head + key + "\"CycleLength\"=\"28\n", false, {}, {}},
      {"continued hex", head + key + "\"CycleLength\"=hex:1c,00,\\\n  00,00\n", true, REG_BINARY,
       days},
      {"hex(4) is a dword", head + key + "\"CycleLength\"=hex(4):1c,00,00,00\n", true, REG_DWORD,
       days},
      {"hex(b) of eight bytes", head + key + "\"CycleLength\"=hex(b):01,02,03,04,05,06,07,08\n",
       true, REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {"empty hex", head + key + "\"CycleLength\"=hex:\n", true, REG_BINARY, {}},
      {"hex with a three-digit byte", head + key + "\"CycleLength\"=hex:1c0,00\n", false, {}, {}},
      {"continued hex cut at the end", head + key + "\"CycleLength\"=hex:1c,\\\n", false, {}, {}},
      {"removed value",
       head + key + "\"CycleLength\"=dword:0000001c\n\"CycleLength\"=-\n",
       true,
       {},
       {}},
      {"removed key",
       head + key + "\"CycleLength\"=dword:0000001c\n[-HKEY_LOCAL_MACHINE\\Software]\n",
       true,
       {},
       {}},
      {"key added again after removal",
       head + "[-HKEY_LOCAL_MACHINE\\Software]\n" + key + "\"CycleLength\"=dword:0000001c\n", true,
       REG_DWORD, days},
      {"later line wins",
       head + key + "\"CycleLength\"=dword:00000001\n\"cyclelength\"=dword:0000001c\n", true,
       REG_DWORD, days},
      {"two sections of one key",
       head + key +
           "\"CycleLength\"=dword:00000001\n\n[hkey_local_machine\\SOFTWARE\\tamberlock\\cyclune]\n"
           "\"CycleLength\"=dword:0000001c\n",
       true, REG_DWORD, days},
      {"other key",
       head + "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Other]\n\"CycleLength\"=dword:0000001c\n",
       true,
       {},
       {}},
      {"CRLF line ends",
       "Windows Registry Editor Version 5.00\r\n\r\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\r\n"
       "\"CycleLength\"=dword:0000001c\r\n",
       true, REG_DWORD, days},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + head + key + "\"CycleLength\"=dword:0000001c\n",
       true, REG_DWORD, days},
      {"no header", key + "\"CycleLength\"=dword:0000001c\n", false, REG_DWORD, days},
      {"no final line end", head + key + "\"CycleLength\"=dword:0000001c", false, REG_DWORD, days},
      {"NUL inside the line",
       head + key + std::string("\"CycleLength\"=dword:0000\0001c\n", 28),
       false,
       {},
       {}},
      {"bad line among good ones", head + key + "garbage\n\"CycleLength\"=dword:0000001c\n", false,
       REG_DWORD, days},
      {"malformed UTF-8 line",
       head + key +
           "\"Cycle\xC0Length\"=dword:00000001\n"
           "\"CycleLength\"=dword:0000001c\n",
       false, REG_DWORD, days},
      {"value before any key", head + "\"CycleLength\"=dword:0000001c\n", false, {}, {}},
      {"indented lines and spaces around =",
       head + "  " + key + "  \"CycleLength\" = dword:0000001c  \n", true, REG_DWORD, days},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.what);
    RegTextParse parse = ParseRegText(c.text);
    EXPECT_EQ(parse.clean, c.clean) << parse.problem;
    std::optional<RegKeyValue> value = Lookup(parse.document, u"CycleLength");
    ASSERT_EQ(value.has_value(), c.type.has_value());
    if (value) {
      EXPECT_EQ(value->type, *c.type);
      EXPECT_EQ(value->data, c.data);
    }
  }
}

TEST(RegistryText, ReadsUtf16FilesOfTheRegistryEditor) {
  std::string utf8 = std::string(kHead) + kKey + "\"Name\"=\"\xC3\xA9t\xC3\xA9\"\r\n";
  std::u16string units;
  ASSERT_TRUE(Utf8ToUtf16(utf8, &units));
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  RegTextParse parse = ParseRegText(bytes);
  EXPECT_TRUE(parse.clean) << parse.problem;
  ASSERT_TRUE(Lookup(parse.document, u"name"));
  EXPECT_EQ(Lookup(parse.document, u"name")->data, Bytes({0xE9, 0, 't', 0, 0xE9, 0, 0, 0}));
}

TEST(RegistryText, KeyExistsAsAnImportLeavesIt) {
  struct {
    const char* text;
    bool exists;
  } const cases[] = {
      {"", false},
      {kKey, true},
      {"[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune\\Sub]\n", true},  // parents come with it
      {"[HKEY_LOCAL_MACHINE\\Software\\Tamberlock]\n", false},
      {"[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\CycluneX]\n", false},
      {"[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n[-HKEY_LOCAL_"
       "MACHINE\\Software\\Tamberlock]\n",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RegKeyExists(ParseRegText(std::string(kHead) + c.text).document, kPath), c.exists);
  }
}

// A file with everything a user or another program may have put in it.
const std::string kForeign =
    std::string(kHead) +
    "; written by hand\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\n"
    "@=\"default text\"\n"
    "\"Path\"=\"C:\\\\Program Files\\\\\\\"x\\\"\"\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
    "  17,18,19\n"
    "\"Multi\"=hex(7):61,00,00,00,00,00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
    "; my cycle\n"
    "\"CycleLength\"=dword:0000001c\n"
    "\"Note\"=\"keep me\"\n"
    "\n"
    "[-HKEY_LOCAL_MACHINE\\Software\\Old]\n"
    "\n";

TEST(RegistryText, WritesBackWhatItRead) {
  RegTextParse parse = ParseRegText(kForeign);
  ASSERT_TRUE(parse.clean) << parse.problem;
  EXPECT_EQ(SerializeRegText(parse.document), kForeign);

  std::string crlf;
  for (char c : kForeign) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(SerializeRegText(ParseRegText(crlf).document), kForeign);
}

TEST(RegistryText, SettingChangesOnlyTheValueSet) {
  RegTextDocument document = ParseRegText(kForeign).document;
  SetRegValue(document, kPath, RegKeyValue{u"CYCLELENGTH", REG_DWORD, Bytes({0x1d, 0, 0, 0})});
  SetRegValue(document, kPath, RegKeyValue{u"LutealPhase", REG_DWORD, Bytes({0x0e, 0, 0, 0})});
  std::string expected = kForeign;
  expected.replace(expected.find("\"CycleLength\"=dword:0000001c"), 28,
                   "\"CycleLength\"=dword:0000001d");
  expected.insert(expected.find("\"Note\"=\"keep me\"\n") + 17, "\"LutealPhase\"=dword:0000000e\n");
  EXPECT_EQ(SerializeRegText(document), expected);
}

TEST(RegistryText, SettingDropsOtherLinesOfTheSameNameInTheSection) {
  RegTextDocument document =
      ParseRegText(std::string(kHead) + kKey + "\"A\"=dword:00000001\n\"B\"=\"b\"\n\"a\"=-\n")
          .document;
  SetRegValue(document, kPath, RegKeyValue{u"A", REG_DWORD, Bytes({2, 0, 0, 0})});
  EXPECT_EQ(SerializeRegText(document),
            std::string(kHead) + kKey + "\"B\"=\"b\"\n\"a\"=dword:00000002\n");
}

TEST(RegistryText, NewKeysAreAppendedAsTheEditorExportsThem) {
  RegTextDocument document;
  EnsureRegKey(document, kPath);
  SetRegValue(document, kPath, RegKeyValue{u"CycleLength", REG_DWORD, Bytes({0x1c, 0, 0, 0})});
  EXPECT_EQ(SerializeRegText(document),
            std::string(kHead) + kKey + "\"CycleLength\"=dword:0000001c\n\n");

  // After a removal of the key, the value goes into a new section that follows it.
  document = ParseRegText(std::string(kHead) + kKey + "[-HKEY_LOCAL_MACHINE\\Software]").document;
  SetRegValue(document, kPath, RegKeyValue{u"A", REG_DWORD, Bytes({1, 0, 0, 0})});
  RegTextParse again = ParseRegText(SerializeRegText(document));
  EXPECT_TRUE(again.clean) << again.problem;
  ASSERT_TRUE(Lookup(again.document, u"A"));
}

TEST(RegistryText, CanonicalFormsReadBackUnchanged) {
  std::vector<std::uint8_t> long_blob;
  for (int i = 0; i < 300; ++i) long_blob.push_back(static_cast<std::uint8_t>(i * 7));
  const RegKeyValue cases[] = {
      {u"dword", REG_DWORD, Bytes({0xff, 0xff, 0xff, 0xff})},
      {u"short dword", REG_DWORD, Bytes({1, 2, 3})},
      {u"q\"uo\\te", REG_SZ, Bytes({'"', 0, '\\', 0, 0, 0})},
      {u"", REG_SZ, Bytes({'x', 0, 0, 0})},
      {u"no terminator", REG_SZ, Bytes({'x', 0})},
      {u"line break", REG_SZ, Bytes({'a', 0, '\n', 0, 0, 0})},
      {u"odd size", REG_SZ, Bytes({'a', 0, 0})},
      {u"lone surrogate", REG_SZ, Bytes({0x00, 0xD8, 0, 0})},
      {u"long", REG_BINARY, long_blob},
      {u"type ffffffff", 0xFFFFFFFF, Bytes({})},
      {u"\u00e9\U0001F600 tab\t", REG_MULTI_SZ, Bytes({'a', 0, 0, 0, 0, 0})},
  };
  for (const RegKeyValue& value : cases) {
    RegTextEntry entry{RegLineKind::kValue, value.name, value.type, value.data, {}};
    std::string line = RenderRegValue(entry);
    SCOPED_TRACE(line);
    for (std::size_t start = 0, end; start < line.size(); start = end + 1) {
      end = line.find('\n', start);
      if (end == std::string::npos) end = line.size();
      EXPECT_LE(end - start, 80u);
    }
    RegTextParse parse = ParseRegText(std::string(kHead) + kKey + line + "\n");
    EXPECT_TRUE(parse.clean) << parse.problem;
    std::optional<RegKeyValue> back = Lookup(parse.document, value.name);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type, value.type);
    EXPECT_EQ(back->data, value.data);
  }
}

}  // namespace
