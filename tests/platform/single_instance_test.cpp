// The one-instance rule in one process: what a second start says about each kind of running
// instance (played by the test, which holds the lock itself), how the first hears requests
// without waiting on any peer, and the lock file's hazards.
#include "platform/instance/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/registry_test_folder.h"

namespace {

const std::string kRunning = "Cyclune is already running";
const std::string kUnreachable = kRunning + " but cannot be asked to come forward: ";

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

// A non-blocking client of the socket at `path`, connected or queued; -1 when refused.
int ConnectTo(const std::string& path) {
  const sockaddr_un address = Address(path);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  close(fd);
  return -1;
}

bool Readable(int fd, int milliseconds) {
  pollfd watch{fd, POLLIN, 0};
  return poll(&watch, 1, milliseconds) == 1;
}

// Holds the lock with `recorded` in it, as a running instance would.
int HoldLock(const std::string& path, const std::string& recorded) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(write(fd, recorded.data(), recorded.size()), static_cast<ssize_t>(recorded.size()));
  return fd;
}

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    ASSERT_EQ(mkdir(settings_.folder().c_str(), 0700), 0);
  }
  void TearDown() override {
    ReleaseSingleInstance();
    ReportSecondStart(0);
    unsetenv("XDG_RUNTIME_DIR");
  }

  RegistryTestFolder settings_;
  const std::string runtime_ = settings_.root() + "/run";
  const std::string lock_ = settings_.folder() + "/cyclune.lock";
};

TEST_F(SingleInstance, SecondStartSaysWhatItFoundAndNeverHangs) {
  const std::string path = runtime_ + "/first.sock";
  const std::string too_long = "/" + std::string(120, 'r') + "/cyclune-0123456789abcdef.sock";
  struct Case {
    std::string recorded;  // what the running one wrote into the lock
    int listen;            // 0 not at all, 1 never accepting, 2 so with its queue full
    std::string said;
  } cases[] = {
      {path + "\n", 2, kRunning + " but does not respond"},  // stopped
      {path + "\n", 1, kRunning + " but does not respond"},
      {"\n", 0, kUnreachable + "it has no socket"},
      {too_long + "\n", 0, kUnreachable + "its socket path is too long ('" + too_long + "')"},
      {path + "\n", 0, kUnreachable + "nothing listens at '" + path + "'"},
  };
  for (const Case& c : cases) {
    const int lock = HoldLock(lock_, c.recorded);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address(path);
    if (c.listen > 0) {
      ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
      ASSERT_EQ(listen(listener, 2), 0);
    }
    std::vector<int> queued;
    for (int fd; c.listen == 2 && (fd = ConnectTo(path)) >= 0;) queued.push_back(fd);
    ASSERT_TRUE(AnotherInstanceRunning());
    alarm(30);  // a second start that hangs ends the test
    EXPECT_FALSE(AskRunningInstanceToComeForward());
    alarm(0);
    EXPECT_EQ(SecondStartMessage(), c.said);
    EXPECT_EQ(ReportSecondStart(0), 1);
    EXPECT_EQ(SecondStartMessage(), "");
    for (int fd : queued) close(fd);
    close(listener);
    close(lock);
    unlink(path.c_str());
  }
}

// A request in two pieces is still heard and answered; a peer that sends nothing is dropped
// once its time is up, which wakes the backend's poll.
TEST_F(SingleInstance, FirstHearsRequestsWithoutWaitingOnAnyPeer) {
  ASSERT_FALSE(AnotherInstanceRunning());
  std::string recorded = ReadWholeFile(lock_);
  ASSERT_EQ(recorded.rfind(runtime_ + "/cyclune-", 0), 0u) << recorded;
  recorded.pop_back();  // the newline
  const int idle = ConnectTo(recorded);
  const int slow = ConnectTo(recorded);
  ASSERT_EQ(send(slow, "fore", 4, MSG_NOSIGNAL), 4);
  EXPECT_EQ(TakeForegroundRequests(), 0);
  ASSERT_EQ(send(slow, "ground\n", 7, MSG_NOSIGNAL), 7) << "the first gave up on a slow peer";
  ASSERT_TRUE(Readable(ForegroundRequestSocket(), 10000));
  EXPECT_EQ(TakeForegroundRequests(), 1);
  char answer[8] = {};
  ASSERT_TRUE(Readable(slow, 10000));
  EXPECT_EQ(read(slow, answer, sizeof answer), 3);
  EXPECT_STREQ(answer, "ok\n");
  for (int pass = 0; pass < 100 && !Readable(idle, 0); ++pass) {
    if (Readable(ForegroundRequestSocket(), 10000)) TakeForegroundRequests();
  }
  EXPECT_EQ(read(idle, answer, sizeof answer), 0) << "the idle peer is still connected";
  close(idle);
  close(slow);
}

// A request to record a period is answered and its day handed on only when it names a real
// day; anything else closes the connection unanswered.
TEST_F(SingleInstance, RecordRequestsNameARealDayOrAreDropped) {
  ASSERT_FALSE(AnotherInstanceRunning());
  std::string recorded = ReadWholeFile(lock_);
  recorded.pop_back();
  const struct {
    std::string sent;
    bool taken;
  } cases[] = {
      {"period 2024-02-29\n", true},
      {"period 2023-02-29\n", false},
      {"period 2024-5-15\n", false},
      {"period 2024-05-15 09:00\n", false},
      {"period 0000-01-01\n", false},
      {"period " + std::string(40, '1'), false},
      {"foreground period 2024-05-15\n", false},
  };
  for (const auto& c : cases) {
    const int peer = ConnectTo(recorded);
    ASSERT_EQ(send(peer, c.sent.data(), c.sent.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(c.sent.size()));
    char answer[8] = {};
    for (int pass = 0; pass < 100 && !Readable(peer, 0); ++pass) {
      if (Readable(ForegroundRequestSocket(), 10000)) TakeForegroundRequests();
    }
    const ssize_t got =
        read(peer, answer, sizeof answer);  // closed: 0, or a reset with data unread
    EXPECT_TRUE(c.taken ? got == 3 : got <= 0) << c.sent;
    const std::vector<CivilDay> days = TakeRecordPeriodRequests();
    ASSERT_EQ(days.size(), c.taken ? 1u : 0u) << c.sent;
    if (c.taken) {
      EXPECT_EQ(days[0], CivilDay(2024, 2, 29));
    }
    close(peer);
  }
}

TEST_F(SingleInstance, LockBesideTheSettingsHoldsWhateverItsHazards) {
  // Through a symbolic link the lock could be anyone's file: never followed, the start ends.
  const std::string elsewhere = settings_.root() + "/elsewhere";
  WriteWholeFile(elsewhere, "");
  ASSERT_EQ(symlink(elsewhere.c_str(), lock_.c_str()), 0);
  EXPECT_TRUE(AnotherInstanceRunning());
  EXPECT_FALSE(AskRunningInstanceToComeForward());
  EXPECT_EQ(SecondStartMessage(),
            "cannot take the instance lock '" + lock_ + "': it is a symbolic link");
  EXPECT_EQ(ReportSecondStart(0), 1);
  EXPECT_EQ(ReadWholeFile(elsewhere), "");
  unlink(lock_.c_str());

  // A umask without the owner's write bit must not leave a lock nobody can take again.
  const mode_t umask_before = umask(0277);
  EXPECT_FALSE(AnotherInstanceRunning());
  umask(umask_before);
  EXPECT_EQ(ModeOf(lock_), 0600u);
  ReleaseSingleInstance();

  // A runtime folder too long for a socket: the lock still holds, and records the path.
  const std::string long_runtime = settings_.root() + "/" + std::string(120, 'r');
  ASSERT_EQ(mkdir(long_runtime.c_str(), 0700), 0);
  setenv("XDG_RUNTIME_DIR", long_runtime.c_str(), 1);
  EXPECT_FALSE(AnotherInstanceRunning());
  EXPECT_EQ(ForegroundRequestSocket(), -1);
  EXPECT_EQ(ReadWholeFile(lock_).rfind(long_runtime + "/cyclune-", 0), 0u);
  const int other = open(lock_.c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
}

}  // namespace
