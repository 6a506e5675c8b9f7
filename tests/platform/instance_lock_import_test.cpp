// Looking at the one-instance lock without taking it: a command that only changes the settings
// file must see a Cyclune that runs in another process, and must create nothing itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/instance/single_instance.h"

namespace {

namespace fs = std::filesystem;

// XDG_RUNTIME_DIR and XDG_CONFIG_HOME in a fresh private folder for the test's lifetime.
class InstanceLockLook : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "cyclune-lock-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      setenv(name, dir_.c_str(), 1);
    }
  }
  void TearDown() override {
    ReleaseSingleInstance();
    for (const auto& [name, value] : saved_) {
      value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    fs::remove_all(dir_);
  }
  fs::path dir_;
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(InstanceLockLook, SeesAnInstanceOfAnotherProcessOnlyWhileItRuns) {
  EXPECT_FALSE(InstanceLockHeld());
  EXPECT_TRUE(fs::is_empty(dir_)) << "looking created something";

  int started[2];
  int finish[2];
  ASSERT_EQ(pipe(started), 0);
  ASSERT_EQ(pipe(finish), 0);
  const pid_t child = fork();
  if (child == 0) {  // the running Cyclune: takes the lock, then waits to be told to end
    const char taken = AnotherInstanceRunning() ? 'n' : 'y';
    if (write(started[1], &taken, 1) != 1) _exit(1);
    char ignored;
    if (read(finish[0], &ignored, 1) < 0) _exit(1);
    _exit(0);
  }
  char taken = 0;
  ASSERT_EQ(read(started[0], &taken, 1), 1);
  EXPECT_EQ(taken, 'y');
  EXPECT_TRUE(InstanceLockHeld());
  EXPECT_TRUE(InstanceLockHeld()) << "looking twice must not take it";
  ASSERT_EQ(write(finish[1], "x", 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(InstanceLockHeld());
  for (int fd : {started[0], started[1], finish[0], finish[1]}) close(fd);
}

}  // namespace
