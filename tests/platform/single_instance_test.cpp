// The one-instance rule in one process: what a second start says about each kind of running
// instance (played by the test: it holds the lock itself), how the first hears requests
// without ever waiting on a peer, and the lock file's own hazards.
#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "tests/platform/registry_test_folder.h"

namespace {

namespace fs = std::filesystem;
using std::chrono_literals::operator""s;

const std::string kRunning = "Cyclune is already running";
const std::string kUnreachable = kRunning + " but cannot be asked to come forward: ";

// A connected (or queued) Unix socket client of `path`, non-blocking; -1 when refused.
int ConnectTo(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  close(fd);
  return -1;
}

bool Readable(int fd, std::chrono::seconds within) {
  pollfd watch{fd, POLLIN, 0};
  return poll(&watch, 1, static_cast<int>(within.count() * 1000)) == 1;
}

// The running instance, played by the test: holds the lock with `recorded` written in it and,
// when asked, listens without ever accepting, its queue full or not.
class FakeFirst {
 public:
  FakeFirst(const std::string& lock_path, const std::string& recorded) {
    lock_ = open(lock_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_EQ(flock(lock_, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(write(lock_, recorded.data(), recorded.size()),
              static_cast<ssize_t>(recorded.size()));
  }
  ~FakeFirst() {
    StopListening();
    close(lock_);
  }
  void Listen(const std::string& path, bool fill_queue) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener_, 2), 0);
    for (int fd; fill_queue && (fd = ConnectTo(path)) >= 0;) queued_.push_back(fd);
  }
  // A connect blocked on the full queue ends when the listener goes.
  void StopListening() {
    for (int fd : queued_) close(fd);
    queued_.clear();
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
  }

 private:
  int lock_ = -1;
  int listener_ = -1;
  std::vector<int> queued_;
};

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime_ = settings_.root() + "/run";
    ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    fs::create_directories(settings_.folder());
  }
  void TearDown() override {
    ReleaseSingleInstance();
    ReportSecondStart(0);
    unsetenv("XDG_RUNTIME_DIR");
  }
  std::string LockPath() const { return settings_.folder() + "/cyclune.lock"; }

  RegistryTestFolder settings_;
  std::string runtime_;
};

TEST_F(SingleInstance, SecondStartSaysWhatItFoundAndNeverHangs) {
  const std::string socket = runtime_ + "/first.sock";
  const std::string long_runtime = "/" + std::string(120, 'r');  // 121 bytes
  const std::string too_long = long_runtime + "/cyclune-0123456789abcdef.sock";
  struct Case {
    const char* what;
    std::string recorded;  // what the running one wrote into the lock
    int listen;            // 0 not at all, 1 never accepting, 2 with its queue full
    std::string said;
  } cases[] = {
      {"stopped, its queue full", socket + "\n", 2, kRunning + " but does not respond"},
      {"stopped, its queue free", socket + "\n", 1, kRunning + " but does not respond"},
      {"without a socket", "\n", 0, kUnreachable + "it has no socket"},
      {"runtime path too long", too_long + "\n", 0,
       kUnreachable + "its socket path is too long ('" + too_long + "')"},
      {"socket gone", socket + "\n", 0, kUnreachable + "nothing listens at '" + socket + "'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFirst first(LockPath(), c.recorded);
    if (c.listen > 0) first.Listen(socket, c.listen == 2);
    ASSERT_TRUE(AnotherInstanceRunning());
    auto asked = std::async(std::launch::async, AskRunningInstanceToComeForward);
    const bool answered_in_time = asked.wait_for(20s) == std::future_status::ready;
    first.StopListening();
    EXPECT_TRUE(answered_in_time) << "the second start hangs";
    EXPECT_FALSE(asked.get());
    EXPECT_EQ(SecondStartMessage(), c.said);
    EXPECT_EQ(ReportSecondStart(0), 1);
    EXPECT_EQ(SecondStartMessage(), "");
    unlink(socket.c_str());
  }
}

// Idle and slow peers cost the first nothing: a request in two pieces is still heard and
// answered, and a peer that sends nothing is dropped once its time is up.
TEST_F(SingleInstance, FirstHearsRequestsWithoutWaitingOnAnyPeer) {
  ASSERT_FALSE(AnotherInstanceRunning());
  ASSERT_GE(ForegroundRequestSocket(), 0);
  std::string recorded = ReadWholeFile(LockPath());
  ASSERT_FALSE(recorded.empty());
  recorded.pop_back();  // the newline
  EXPECT_EQ(fs::path(recorded).parent_path(), runtime_);

  const int idle = ConnectTo(recorded);
  const int slow = ConnectTo(recorded);
  ASSERT_GE(idle, 0);
  ASSERT_GE(slow, 0);
  ASSERT_EQ(send(slow, "fore", 4, MSG_NOSIGNAL), 4);
  EXPECT_EQ(TakeForegroundRequests(), 0);
  ASSERT_EQ(send(slow, "ground\n", 7, MSG_NOSIGNAL), 7) << "the first gave up on a slow peer";
  ASSERT_TRUE(Readable(ForegroundRequestSocket(), 10s));
  EXPECT_EQ(TakeForegroundRequests(), 1);
  char answer[8] = {};
  ASSERT_TRUE(Readable(slow, 10s));
  EXPECT_EQ(read(slow, answer, sizeof answer), 3);
  EXPECT_STREQ(answer, "ok\n");

  // The idle peer's time-out wakes the backend's poll, which then drops it.
  int passes = 0;
  while (!Readable(idle, 0s) && Readable(ForegroundRequestSocket(), 10s) && ++passes < 100) {
    TakeForegroundRequests();
  }
  EXPECT_EQ(read(idle, answer, sizeof answer), 0) << "the idle peer is still connected";
  close(idle);
  close(slow);
}

TEST_F(SingleInstance, LockBesideTheSettingsHoldsWhateverItsHazards) {
  // Through a symbolic link the lock could be anyone's file: never followed, the start ends.
  const std::string elsewhere = settings_.root() + "/elsewhere";
  WriteWholeFile(elsewhere, "");
  ASSERT_EQ(symlink(elsewhere.c_str(), LockPath().c_str()), 0);
  EXPECT_TRUE(AnotherInstanceRunning());
  EXPECT_FALSE(AskRunningInstanceToComeForward());
  EXPECT_EQ(SecondStartMessage(),
            "cannot take the instance lock '" + LockPath() + "': it is a symbolic link");
  EXPECT_EQ(ReportSecondStart(0), 1);
  EXPECT_EQ(ReadWholeFile(elsewhere), "");
  unlink(LockPath().c_str());

  // A umask without the owner's write bit must not leave a lock nobody can take again.
  const mode_t umask_before = umask(0277);
  EXPECT_FALSE(AnotherInstanceRunning());
  umask(umask_before);
  EXPECT_EQ(ModeOf(LockPath()), 0600u);
  ReleaseSingleInstance();
  {
    FakeFirst first(LockPath(), "\n");
    EXPECT_TRUE(AnotherInstanceRunning());
  }

  // A runtime folder too long for a socket: the lock still holds, and records the path.
  const std::string long_runtime = settings_.root() + "/" + std::string(120, 'r');
  ASSERT_EQ(mkdir(long_runtime.c_str(), 0700), 0);
  setenv("XDG_RUNTIME_DIR", long_runtime.c_str(), 1);
  EXPECT_FALSE(AnotherInstanceRunning());
  EXPECT_EQ(ForegroundRequestSocket(), -1);
  EXPECT_EQ(ReadWholeFile(LockPath()).rfind(long_runtime + "/cyclune-", 0), 0u);
  const int other = open(LockPath().c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
}

}  // namespace
