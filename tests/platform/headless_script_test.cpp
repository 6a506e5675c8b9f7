// The headless runner's formats: scripts, message-box lines and command-line values.
#include "platform/headless/headless_script.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/modules/headless.h"
#include "platform/text/json_text.h"

namespace {

using Kind = ScriptCommand::Kind;

TEST(HeadlessScript, GoodLinesBecomeCommands) {
  struct Case {
    const char* line;
    Kind kind;
    std::uint32_t first;
    std::uint32_t second;
    const char* name;
  };
  const Case cases[] = {
      {"key 0x28", Kind::kKey, 0x28, 0, ""},
      {"key 40", Kind::kKey, 40, 0, ""},
      {"key 0XFFFFFFFF", Kind::kKey, 0xFFFFFFFF, 0, ""},
      {"  key\t13  ", Kind::kKey, 13, 0, ""},
      {"tap 120 80", Kind::kTap, 120, 80, ""},
      {"tap 65535 0x0", Kind::kTap, 65535, 0, ""},
      {"command 40004", Kind::kCommand, 40004, 0, ""},
      {"resize 0 0", Kind::kResize, 0, 0, ""},
      {"resize 8192 1080\r", Kind::kResize, 8192, 1080, ""},
      {"shot month-1.view", Kind::kShot, 0, 0, "month-1.view"},
  };
  for (const Case& c : cases) {
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript(c.line, &commands, &error)) << c.line << ": " << error;
    ASSERT_EQ(commands.size(), 1u) << c.line;
    EXPECT_EQ(commands[0].kind, c.kind) << c.line;
    EXPECT_EQ(commands[0].first, c.first) << c.line;
    EXPECT_EQ(commands[0].second, c.second) << c.line;
    EXPECT_EQ(commands[0].name, c.name) << c.line;
  }
}

TEST(HeadlessScript, CommentsAndBlankLinesAreSkippedButCounted) {
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(ParseScript("# start\n\n   \nkey 13\n  # indented\r\ntap 1 2", &commands, &error));
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].line, 4);
  EXPECT_EQ(commands[1].line, 6);
  EXPECT_TRUE(ParseScript("", &commands, &error));
  EXPECT_TRUE(commands.empty());
}

TEST(HeadlessScript, BadLinesAreRefusedWithNumberAndReason) {
  struct Case {
    std::string script;
    std::string error;
  };
  const Case cases[] = {
      {"key 13\njump 1", "script line 2: unknown command 'jump'"},
      {"Key 13", "script line 1: unknown command 'Key'"},
      {"key", "script line 1: expected key CODE"},
      {"key 1 2", "script line 1: expected key CODE"},
      {"key -1", "script line 1: bad number, expected key CODE"},
      {"key +1", "script line 1: bad number, expected key CODE"},
      {"key 0x", "script line 1: bad number, expected key CODE"},
      {"key 12abc", "script line 1: bad number, expected key CODE"},
      {"key 4294967296", "script line 1: bad number, expected key CODE"},
      {"\n\ntap 65536 1", "script line 3: bad number, expected tap X Y (0 to 65535)"},
      {"tap 1", "script line 1: expected tap X Y (0 to 65535)"},
      {"command 70000", "script line 1: bad number, expected command ID (0 to 65535)"},
      {"resize 8193 10", "script line 1: bad number, expected resize W H (0 to 8192)"},
      {"shot", "script line 1: expected shot NAME"},
      {"shot a b", "script line 1: expected shot NAME"},
      {"shot ../x", "script line 1: shot name must not contain \"..\""},
      {"shot ..", "script line 1: shot name must not contain \"..\""},
      {"shot .", "script line 1: shot name must not contain \"..\""},
      {"shot a/b", "script line 1: shot name must be a plain file name (no '/')"},
      {"shot /etc/x", "script line 1: shot name must be a plain file name (no '/')"},
      {"shot a\x01", "script line 1: shot name contains a control character"},
      {"shot " + std::string(201, 'a'), "script line 1: shot name longer than 200 bytes"},
      {std::string("key 1\0", 6), "script line 1: contains a NUL byte"},
  };
  for (const Case& c : cases) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_FALSE(ParseScript(c.script, &commands, &error)) << c.script;
    EXPECT_EQ(error, c.error) << c.script;
  }
}

// A line is split no further than its command needs: 12 MB lines are refused within 8 MiB
// of address space beyond what the process holds (splitting the line of words took twenty
// times its size). A child process takes the limit, as it binds every allocation.
TEST(HeadlessScript, LongLinesAreRefusedInLittleMemory) {
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the sanitizer's shadow memory leaves no address-space limit to set";
#endif
#endif
  std::string line = "key";
  line.reserve(12'000'004);
  while (line.size() < 12'000'000) line += " 1";
  const std::pair<std::string, std::string> cases[] = {
      {line, "script line 1: expected key CODE"},
      {"shot " + std::string(12'000'000, 'x'), "script line 1: shot name longer than 200 bytes"},
  };
  for (const auto& [script, expected] : cases) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      long pages = 0;
      std::FILE* statm = std::fopen("/proc/self/statm", "r");
      const bool read = statm != nullptr && std::fscanf(statm, "%ld", &pages) == 1;
      const rlimit limit{static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (8 << 20)),
                         RLIM_INFINITY};
      if (!read || setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
      try {
        std::vector<ScriptCommand> commands;
        std::string error;
        _exit(!ParseScript(script, &commands, &error) && error == expected ? 0 : 1);
      } catch (const std::bad_alloc&) {
        _exit(3);
      }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << expected << ": status " << status << " (exit 3: out of memory)";
  }
}

TEST(HeadlessScript, MessageBoxLinesAreEscapedJson) {
  struct Case {
    std::u16string text;
    std::string json;
  };
  const Case cases[] = {
      {u"plain", "\"plain\""},
      {u"a\r\nb", "\"a\\r\\nb\""},
      {u"say \"hi\" \\ /", "\"say \\\"hi\\\" \\\\ /\""},
      {u"\t\b\f\x01\x1f", "\"\\t\\b\\f\\u0001\\u001f\""},
      {u"Mai \u00e9t\u00e9 \u2642", "\"Mai \xc3\xa9t\xc3\xa9 \xe2\x99\x82\""},
      {u"\U0001F319", "\"\xf0\x9f\x8c\x99\""},
      {std::u16string(1, char16_t{0xD800}) + u"x", "\"\\ud800x\""},
      {std::u16string(1, char16_t{0xDC00}), "\"\\udc00\""},
      {std::u16string(u"a\0b", 3), "\"a\\u0000b\""},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonString(c.text), c.json);
  EXPECT_EQ(MessageBoxJson(u"Help", u"Line\r\n"),
            "{\"caption\": \"Help\", \"text\": \"Line\\r\\n\"}");
}

TEST(HeadlessArguments, ClientSizes) {
  struct Case {
    const char* text;
    bool ok;
    int width;
    int height;
  };
  const Case cases[] = {
      {"240x266", true, 240, 266}, {"0x0", true, 0, 0},      {"8192x8192", true, 8192, 8192},
      {"8193x10", false, 0, 0},    {"240X266", false, 0, 0}, {"240x", false, 0, 0},
      {"x266", false, 0, 0},       {"-1x5", false, 0, 0},    {"24 0x266", false, 0, 0},
      {"240x266x1", false, 0, 0},  {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    int width = -7;
    int height = -7;
    EXPECT_EQ(ParseClientSize(c.text, &width, &height), c.ok) << c.text;
    EXPECT_EQ(width, c.ok ? c.width : -7) << c.text;
    EXPECT_EQ(height, c.ok ? c.height : -7) << c.text;
  }
}

TEST(HeadlessArguments, FixedTimes) {
  struct Case {
    const char* text;
    bool ok;
    LocalDateTime time;
  };
  const Case cases[] = {
      {"2024-05-15T09:30:05", true, {CivilDay(2024, 5, 15), 9, 30, 5, 0}},
      {"2024-02-29T00:00:00", true, {CivilDay(2024, 2, 29), 0, 0, 0, 0}},
      {"2000-01-01T23:59:59", true, {CivilDay(2000, 1, 1), 23, 59, 59, 0}},
      {"1995-01-01T12:00:00", true, {CivilDay(1995, 1, 1), 12, 0, 0, 0}},
      {"2023-02-29T00:00:00", false, {}},
      {"1900-02-29T00:00:00", false, {}},
      {"2024-13-01T00:00:00", false, {}},
      {"2024-04-31T00:00:00", false, {}},
      {"2024-05-15T24:00:00", false, {}},
      {"2024-05-15T10:60:00", false, {}},
      {"2024-05-15 10:00:00", false, {}},
      {"2024-5-15T10:00:00", false, {}},
      {"2024-05-15T10:00:00Z", false, {}},
      {"0000-01-01T00:00:00", true, {CivilDay(0, 1, 1), 0, 0, 0, 0}},
      {"9999-12-31T23:59:59", true, {CivilDay(9999, 12, 31), 23, 59, 59, 0}},
      {"10000-01-01T00:00:00", true, {CivilDay(10000, 1, 1), 0, 0, 0, 0}},
      {"30827-12-31T23:59:59", true, {CivilDay(30827, 12, 31), 23, 59, 59, 0}},
      {"65535-12-31T00:00:00", true, {CivilDay(65535, 12, 31), 0, 0, 0, 0}},
      {"65536-01-01T00:00:00", false, {}},
      {"09999-01-01T00:00:00", false, {}},
      {"100000-01-01T00:00:0", false, {}},
      {"999-01-01T00:00:00", false, {}},
  };
  for (const Case& c : cases) {
    LocalDateTime time{};
    EXPECT_EQ(ParseLocalTimeArgument(c.text, &time), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(time.date.year(), c.time.date.year()) << c.text;
    EXPECT_EQ(time.date.month(), c.time.date.month()) << c.text;
    EXPECT_EQ(time.date.weekday(), c.time.date.weekday()) << c.text;
    EXPECT_EQ(time.date.day(), c.time.date.day()) << c.text;
    EXPECT_EQ(time.hour, c.time.hour) << c.text;
    EXPECT_EQ(time.minute, c.time.minute) << c.text;
    EXPECT_EQ(time.second, c.time.second) << c.text;
  }
}

}  // namespace
