// Whole runs of the headless runner: script input in order, message boxes, shots, the end of
// the run, and the one-instance rule between two processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/event_loop.h"
#include "platform/canvas/colours.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/instance/single_instance.h"
#include "platform/modules/headless.h"
#include "platform/ui/message_box.h"
#include "platform/ui/program_window.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr Rgb kRed = Rgb{255, 0, 0};

// A calendar whose month-view-like paint is a red 7 x 8 grid of whole cells, copied over the
// client area; it writes down what reached it, each tap with the client size it met.
class GridCalendar final : public LoopCalendar {
 public:
  explicit GridCalendar(UiFrontEnd& front_end) : window_(front_end, u"Run", nullptr) {
    window_.Show();
  }
  std::vector<SoftKey> SoftKeys() override { return {}; }
  void KeyDown(Key key) override { calls.push_back("key " + std::to_string(int(key))); }
  void Tap(int x, int y) override {
    calls.push_back("tap " + std::to_string(x) + "," + std::to_string(y) + " on " + painted_);
  }
  void Command(unsigned command) override {
    calls.push_back("command " + std::to_string(command));
    if (command == 40004) ShowMessageBox(u"Help", u"Line 1\r\n\"two\" \u00e9t\u00e9");
    if (command == 40002) window_.Close();
  }
  void RecordPeriod(CivilDay) override {}
  void Close() override { window_.Close(); }
  bool Closed() override { return !window_.open(); }
  bool Paint() override {
    if (!window_.TakePaintDue()) return false;
    Canvas& screen = *window_.canvas();
    const Rect client{0, 0, screen.Width(), screen.Height()};
    painted_ = std::to_string(client.right) + "x" + std::to_string(client.bottom);
    calls.push_back("paint");
    std::unique_ptr<Canvas> memory =
        MakeCanvasLike(screen, client.right / 7 * 7, client.bottom / 8 * 8);
    if (memory == nullptr) return true;
    memory->Fill(client, kRed);
    screen.Blit(0, 0, client.right, client.bottom, *memory, 0, 0);
    return true;
  }
  const Canvas* Picture() override { return window_.canvas(); }

  std::vector<std::string> calls;

 private:
  ProgramWindow window_;
  std::string painted_;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class HeadlessRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/cyclune-headless-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    FinishHeadless(0);
    fs::remove_all(dir);
  }

  // Starts the runner on `script` and runs the loop on a new calendar; returns its code.
  int Run(const std::string& script, HeadlessOptions options = {}) {
    std::ofstream(dir / "script.txt") << script;
    options.script = (dir / "script.txt").string();
    options.out_dir = (dir / "out").string();
    std::string error;
    front_end = StartHeadless(options, &error);
    EXPECT_NE(front_end, nullptr) << error;
    return front_end != nullptr ? RunLoop() : -1;
  }

  // The program's loop on the runner; the calendar goes with the run, as the program's does.
  int RunLoop() {
    GridCalendar calendar(*front_end);
    const int code = RunEventLoop(*front_end, calendar);
    calls = calendar.calls;
    closed = calendar.Closed();
    return code;
  }

  fs::path dir;
  UiFrontEnd* front_end = nullptr;
  std::vector<std::string> calls;  // what reached the calendar
  bool closed = false;
};

TEST_F(HeadlessRun, FeedsEachLineAfterEverythingBeforeItIsHandled) {
  const int code =
      Run("# keys, taps and commands\n"
          "key 0x28\ntap 10 20\ncommand 40004\nresize 100 80\ntap 5 6\nshot small\n");
  EXPECT_EQ(code, 0);
  // The resize was painted before the tap after it.
  EXPECT_EQ(calls, (std::vector<std::string>{"paint", "key 40", "tap 10,20 on 240x266",
                                             "command 40004", "paint", "tap 5,6 on 100x80"}));
  EXPECT_EQ(ReadFile(dir / "out" / "messages.jsonl"),
            "{\"caption\": \"Help\", \"text\": \"Line 1\\r\\n\\\"two\\\" \xc3\xa9t\xc3\xa9\"}\n");
  EXPECT_FALSE(fs::exists(dir / "out" / "events.jsonl"));
  EXPECT_EQ(FinishHeadless(code), 0);
}

TEST_F(HeadlessRun, ShotsAreThePaintedClientAreaAsPng) {
  Run("shot full\nresize 45 20\nshot small\n");
  struct Case {
    const char* file;
    int width;
    int height;
    Point red;
    Point white;  // in the strip beyond the 7 x 8 grid
  };
  const Case cases[] = {
      {"full.png", 240, 266, {237, 263}, {238, 264}},
      {"small.png", 45, 20, {41, 15}, {42, 16}},
  };
  for (const Case& c : cases) {
    std::string error;
    std::unique_ptr<Canvas> shot =
        LoadPixelCanvasPng((dir / "out" / c.file).string().c_str(), &error);
    ASSERT_NE(shot, nullptr) << c.file << ": " << error;
    EXPECT_EQ(shot->Width(), c.width) << c.file;
    EXPECT_EQ(shot->Height(), c.height) << c.file;
    EXPECT_EQ(PixelAt(*shot, 0, 0), kRed) << c.file;
    EXPECT_EQ(PixelAt(*shot, c.red.x, c.red.y), kRed) << c.file;
    EXPECT_EQ(PixelAt(*shot, c.white.x, c.red.y), kWhite) << c.file;
    EXPECT_EQ(PixelAt(*shot, c.red.x, c.white.y), kWhite) << c.file;
  }
  EXPECT_EQ(FinishHeadless(0), 0);
}

// A shot that cannot be written whole (a file-size limit here; a full disk fails the same
// writes) is said in one line and fails the run; nothing stands under its name, and the
// shots that fit are written.
TEST_F(HeadlessRun, AShotCutShortIsReportedAndLeavesNoFile) {
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 2000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  testing::internal::CaptureStderr();
  Run("resize 2000 2000\nshot big\nresize 24 26\nshot small\n");
  const std::string said = testing::internal::GetCapturedStderr();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(FinishHeadless(0), 1);
  EXPECT_EQ(said, "cyclune: script line 2: cannot write '" + (dir / "out" / "big.png").string() +
                      "': File too large\n");
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir / "out")) {
    files.insert(entry.path().filename().string());
  }
  EXPECT_EQ(files, (std::set<std::string>{"messages.jsonl", "small.png"}));
}

TEST_F(HeadlessRun, TheWindowsOwnQuitEndsTheRunEarly) {
  HeadlessOptions options;
  options.width = 70;
  options.height = 16;
  EXPECT_EQ(Run("command 40002\nshot never\n", options), 0);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(fs::exists(dir / "out" / "never.png"));
  EXPECT_EQ(ReadFile(dir / "out" / "messages.jsonl"), "");
}

TEST_F(HeadlessRun, AnEmptyClientAreaPaintsButCannotBeShot) {
  HeadlessOptions options;
  options.width = 0;
  options.height = 0;
  EXPECT_EQ(Run("tap 0 0\nshot empty\nresize 6 7\nshot tiny\n", options), 0);
  EXPECT_FALSE(fs::exists(dir / "out" / "empty.png"));
  EXPECT_TRUE(fs::exists(dir / "out" / "tiny.png"));
  EXPECT_EQ(FinishHeadless(0), 1);  // the failed shot makes the run fail
}

TEST_F(HeadlessRun, BadScriptsAndSizesInstallNothing) {
  struct Case {
    std::string script;
    int width;
    std::string error;
  };
  const Case cases[] = {
      {"key 13\nshot ok\ntap 1\n", 240, "script line 3: expected tap X Y (0 to 65535)"},
      {"key 13\n", 8193, "client size out of range (0 to 8192 pixels each way)"},
  };
  for (const Case& c : cases) {
    std::ofstream(dir / "bad.txt") << c.script;
    HeadlessOptions options;
    options.script = (dir / "bad.txt").string();
    options.out_dir = (dir / "never").string();
    options.width = c.width;
    std::string error;
    EXPECT_EQ(StartHeadless(options, &error), nullptr);
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(fs::exists(dir / "never"));
  }
  HeadlessOptions missing;
  missing.script = (dir / "no-such-script").string();
  std::string error;
  EXPECT_EQ(StartHeadless(missing, &error), nullptr);
  EXPECT_NE(error.find("cannot read script"), std::string::npos) << error;
}

// Every file of a run is 0600 (the reports and the month colours are health data), files
// left by an earlier run with another mode included.
TEST_F(HeadlessRun, OutputFilesArePrivateWhateverTheUmask) {
  fs::create_directories(dir / "out");
  for (const char* name : {"messages.jsonl", "month.png"}) {
    std::ofstream(dir / "out" / name) << "old";
    fs::permissions(dir / "out" / name, fs::perms(0644));
  }
  const mode_t old = umask(022);
  Run("command 40004\nshot month\nshot new\n");
  umask(old);
  EXPECT_EQ(FinishHeadless(0), 0);
  for (const char* name : {"messages.jsonl", "month.png", "new.png"}) {
    EXPECT_EQ(fs::status(dir / "out" / name).permissions(), fs::perms(0600)) << name;
  }
}

// What the second process of the one-instance test finds: empty when it is what `expect`
// says ("running": the first's window is there and is asked forward; "none": no window, and
// this process becomes the first), otherwise what differs.
std::string SecondStartProblem(const std::string& expect) {
  EnableSingleInstance(true);
  const bool running = AnotherInstanceRunning();
  std::string problem;
  if (expect == "running") {
    if (!running) {
      problem = "no running instance found";
    } else if (!AskRunningInstanceToComeForward()) {
      problem = "the running instance could not be asked forward: " + SecondStartMessage();
    }
  } else if (running) {
    problem = "a running window was found";
  } else if (ForegroundRequestSocket() == -1) {
    problem = "this process did not become the first";
  }
  ReleaseSingleInstance();
  return problem;
}

// The second process: OneInstancePerSettingsFolder starts this binary again with
// CYCLUNE_TEST_SECOND_START set; it then plays the second start before any test would run,
// says what it found on standard output and ends. It is no test of its own.
class SecondStartMode : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* expect = std::getenv("CYCLUNE_TEST_SECOND_START");
    if (expect == nullptr) return;
    const std::string problem = SecondStartProblem(expect);
    std::printf("second start (%s): %s\n", expect, problem.empty() ? "ok" : problem.c_str());
    std::fflush(stdout);
    ::_exit(problem.empty() ? 0 : 1);
  }
};
const auto* const kSecondStartMode = ::testing::AddGlobalTestEnvironment(new SecondStartMode);

// Starts this test binary again as the second process, with the variable `name` (one the
// test has set) changed to `value` and its standard output in `log`, and hears the requests it
// makes meanwhile on the first's front end (nullptr: none); the line in which it says what it
// found, or all it said and why it failed.
std::string RunSecondProcess(UiFrontEnd* first, const char* expect, const fs::path& log,
                             const char* name = nullptr, const std::string& value = "") {
  // The environment runs only when some test would: any but this one, so that a second
  // process that did not take the second start's path could never start a third.
  char* argv[] = {const_cast<char*>("second"),
                  const_cast<char*>("--gtest_filter=-HeadlessRun.OneInstancePerSettingsFolder"),
                  nullptr};
  const std::string saved = name != nullptr ? std::getenv(name) : "";
  if (name != nullptr) setenv(name, value.c_str(), 1);
  setenv("CYCLUNE_TEST_SECOND_START", expect, 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = -1;
  const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  unsetenv("CYCLUNE_TEST_SECOND_START");
  if (name != nullptr) setenv(name, saved.c_str(), 1);
  if (spawned != 0) return "cannot start the second process";
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    pollfd requests{ForegroundRequestSocket(), POLLIN, 0};
    poll(&requests, 1, 20);  // the first answers as its loop would
    for (int asked = TakeForegroundRequests(); asked > 0 && first != nullptr; --asked) {
      first->ComeForward();
    }
  }
  const std::string said = ReadFile(log);
  const std::size_t line = said.find("second start (");
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && line != std::string::npos) {
    return said.substr(line);
  }
  return said + "(the second process ended with wait status " + std::to_string(status) + ")";
}

// One instance per settings folder, whatever the runtime folder of either start.
TEST_F(HeadlessRun, OneInstancePerSettingsFolder) {
  const fs::path runtime = dir / "run";
  const fs::path other_runtime = dir / "run2";
  ASSERT_EQ(mkdir(runtime.c_str(), 0700) | mkdir(other_runtime.c_str(), 0700), 0);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);

  std::ofstream(dir / "script.txt") << "shot first\n";
  HeadlessOptions options;
  options.script = (dir / "script.txt").string();
  options.out_dir = (dir / "out").string();
  options.single_instance = true;
  std::string error;
  front_end = StartHeadless(options, &error);
  ASSERT_NE(front_end, nullptr) << error;
  EXPECT_FALSE(AnotherInstanceRunning());  // first: takes the lock
  struct Case {
    const char* name;
    std::string value;
    const char* expect;
  } cases[] = {
      {nullptr, "", "running"},
      // Other settings are an instance of their own, whose socket leaves the first's alone.
      {"XDG_CONFIG_HOME", (dir / "config2").string(), "none"},
      {"XDG_RUNTIME_DIR", other_runtime.string(), "running"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunSecondProcess(front_end, c.expect, dir / "second.log", c.name, c.value),
              std::string("second start (") + c.expect + "): ok\n")
        << c.value;
  }
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_EQ(ReadFile(dir / "out" / "events.jsonl"),
            "{\"event\": \"foreground\"}\n{\"event\": \"foreground\"}\n");
  EXPECT_EQ(FinishHeadless(0), 0);
  // The lock went with the run.
  EXPECT_EQ(RunSecondProcess(nullptr, "none", dir / "second.log"), "second start (none): ok\n");
  unsetenv("XDG_RUNTIME_DIR");
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
