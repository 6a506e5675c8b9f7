// The hooks by which tests watch a run: every message box, whatever shows it, in the message
// log that CYCLUNE_MESSAGE_LOG names.
#include "platform/ui/test_hooks.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/ui/front_end.h"
#include "platform/ui/message_box.h"

namespace {

int g_boxes_shown = 0;
void CountBox(std::u16string_view, std::u16string_view) { ++g_boxes_shown; }

std::vector<std::string> LinesOf(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

class MessageBoxLog : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes_shown = 0;
    SetMessageBoxSink(CountBox);
    char pattern[] = "/tmp/cyclune-hooks-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    log = folder + "/messages.jsonl";
  }
  void TearDown() override {
    unsetenv("CYCLUNE_MESSAGE_LOG");
    unlink(log.c_str());
    rmdir(folder.c_str());
    SetMessageBoxSink(nullptr);
  }

  std::string folder;
  std::string log;
};

TEST_F(MessageBoxLog, EveryBoxIsAppendedAsOneJsonLineWhileTheVariableIsSet) {
  struct Case {
    const char* variable;  // nullptr: unset
    const char16_t* caption;
    const char16_t* text;
  };
  const Case cases[] = {
      {nullptr, u"Help", u"not logged"},
      {"", u"Help", u"not logged either"},
      {"log", u"Help", u"Legend:\n"},
      {"log", u"", u""},  // an empty box is logged as it is
      {"log", u"Wednesday, May 15, 2024", u"Critical day\r\n"},
  };
  for (const Case& c : cases) {
    if (c.variable == nullptr) {
      unsetenv("CYCLUNE_MESSAGE_LOG");
    } else {
      setenv("CYCLUNE_MESSAGE_LOG", c.variable[0] == '\0' ? "" : log.c_str(), 1);
    }
    ShowMessageBox(c.caption, c.text);
  }
  const std::vector<std::string> expected = {
      R"({"caption": "Help", "text": "Legend:\n"})", R"({"caption": "", "text": ""})",
      R"({"caption": "Wednesday, May 15, 2024", "text": "Critical day\r\n"})"};
  EXPECT_EQ(LinesOf(log), expected);
  // A log that cannot be written keeps no box from being shown.
  setenv("CYCLUNE_MESSAGE_LOG", folder.c_str(), 1);
  ShowMessageBox(u"Help", u"shown");
  EXPECT_EQ(g_boxes_shown, 6);
}

}  // namespace
