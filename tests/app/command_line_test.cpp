// The command line of the real cyclune binary: --help and --version answer on standard output
// and exit 0 without starting anything; mistakes get one line on standard error and status 2.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/headless_run.h"

namespace {

using cyclune_test::ReadFile;
using cyclune_test::ScratchDir;

using Outcome = cyclune_test::ProgramOutcome;

// Runs cyclune with `arguments`, standard output to `stdout_path` (a file in the scratch
// folder unless given), no display and no terminal, the settings folder in the scratch folder.
Outcome RunCommandLine(const std::vector<std::string>& arguments, const ScratchDir& scratch,
                       std::string stdout_path = {}) {
  if (stdout_path.empty()) stdout_path = (scratch.path() / "stdout.txt").string();
  return cyclune_test::RunProgram({arguments,
                                   {"XDG_CONFIG_HOME=" + (scratch.path() / "config").string()},
                                   {},
                                   stdout_path,
                                   scratch.path() / "stderr.txt"});
}

long Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

TEST(CommandLine, HelpListsEveryOptionOnItsOwnLine) {
  ScratchDir scratch;
  const Outcome help = RunCommandLine({"--help"}, scratch);
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: cyclune ", 0), 0u) << help.out;
  for (const char* option :
       {"--window", "--terminal", "--headless", "--size WxH", "--now YYYY-MM-DDTHH:MM:SS",
        "--script FILE", "--out DIR", "--single-instance", "--cursor", "--help", "--version"}) {
    EXPECT_NE(help.out.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  }
  // Fits a terminal of 80 columns without touching its last one.
  std::size_t start = 0;
  for (std::size_t end; (end = help.out.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LT(end - start, 80u) << help.out.substr(start, end - start);
  }
}

TEST(CommandLine, VersionIsOneLineWithTheProjectVersion) {
  ScratchDir scratch;
  const Outcome version = RunCommandLine({"--version"}, scratch);
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, std::string("cyclune ") + CYCLUNE_VERSION + "\n");
  EXPECT_EQ(version.err, "");
}

// Whatever else is on the line, --help and --version start nothing: no front end is looked
// for (there is none here), no settings folder is made and no script is read.
TEST(CommandLine, HelpAndVersionWinOverTheFrontEnd) {
  const std::vector<std::vector<std::string>> cases = {
      {"--terminal", "--help"},
      {"--window", "--version"},
      {"--headless", "--script", "/nonexistent/script.txt", "--version"},
      {"--help", "--no-such-option"},
      {"--version", "--size", "not-a-size"},
  };
  for (const auto& arguments : cases) {
    ScratchDir scratch;
    const Outcome outcome = RunCommandLine(arguments, scratch);
    EXPECT_EQ(outcome.exit_code, 0) << arguments.back() << ": " << outcome.err;
    EXPECT_FALSE(outcome.out.empty()) << arguments.back();
    EXPECT_EQ(outcome.err, "") << arguments.back();
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "config")) << arguments.back();
  }
}

// A mistake is named on the first line of standard error; an option we do not have is
// followed by the usage, a bad or missing value is not.
TEST(CommandLine, MistakesAreNamedOnStandardErrorWithStatusTwo) {
  const struct {
    std::vector<std::string> arguments;
    const char* named;  // what the first line must name
    bool usage;         // the usage follows
  } cases[] = {
      {{"--frobnicate"}, "'--frobnicate'", true},
      {{"-h"}, "'-h'", true},
      {{"help"}, "'help'", true},
      {{"--size", "12x12", "--Help"}, "'--Help'", true},
      {{"--headless", "--out"}, "--out", false},
      {{"--size", "--help"}, "--size", false},  // --help is taken as the size here
  };
  for (const auto& c : cases) {
    ScratchDir scratch;
    const Outcome outcome = RunCommandLine(c.arguments, scratch);
    EXPECT_EQ(outcome.exit_code, 2) << c.named;
    EXPECT_EQ(outcome.out, "") << c.named;
    const std::string first = outcome.err.substr(0, outcome.err.find('\n'));
    EXPECT_EQ(first.rfind("cyclune: ", 0), 0u) << outcome.err;
    EXPECT_NE(first.find(c.named), std::string::npos) << outcome.err;
    if (c.usage) {
      EXPECT_NE(outcome.err.find("\nUsage: cyclune "), std::string::npos) << outcome.err;
    } else {
      EXPECT_EQ(Lines(outcome.err), 1) << outcome.err;
    }
  }
}

// Output that cannot be written is a failure, not a silent success.
TEST(CommandLine, HelpIntoAFullDeviceFails) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  for (const char* option : {"--help", "--version"}) {
    ScratchDir scratch;
    const Outcome outcome = RunCommandLine({option}, scratch, "/dev/full");
    EXPECT_EQ(outcome.exit_code, 1) << option;
    EXPECT_EQ(Lines(outcome.err), 1) << outcome.err;
  }
}

// A headless run whose output cannot be written failed (1); that is no usage mistake (2).
TEST(CommandLine, HeadlessOutputThatCannotBeWrittenEndsWithStatusOne) {
  const struct {
    const char* what;
    const char* blocker;  // made a directory in the scratch folder
    const char* out;      // --out, in the scratch folder
    const char* script;   // --script, in the scratch folder
    int status;
  } cases[] = {
      {"messages.jsonl is a folder", "out/messages.jsonl", "out", "script.txt", 1},
      {"the output folder is a file", nullptr, "script.txt", "script.txt", 1},
      {"the script is missing", nullptr, "out", "none.txt", 2},
  };
  for (const auto& c : cases) {
    ScratchDir scratch;
    cyclune_test::WriteFile(scratch.path() / "script.txt", "shot a\n");
    if (c.blocker != nullptr) std::filesystem::create_directories(scratch.path() / c.blocker);
    const Outcome outcome =
        RunCommandLine({"--headless", "--script", (scratch.path() / c.script).string(), "--out",
                        (scratch.path() / c.out).string()},
                       scratch);
    EXPECT_EQ(outcome.exit_code, c.status) << c.what << ": " << outcome.err;
    EXPECT_EQ(Lines(outcome.err), 1) << c.what << ": " << outcome.err;
  }
}

}  // namespace
