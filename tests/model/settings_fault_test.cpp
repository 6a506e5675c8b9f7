// Saving under faults: killed writers, failing fsync and rename, a full disk, a folder that may
// not be written, a link at the temporary name. After each, the file must parse and hold
// either the old or the new settings, whole, and a failed save must say so and why.
//
// Faults that need another process re-run this test binary with CYCLUNE_STORE_CHILD set: it
// then saves the "new" settings, prints the result and exits before any test runs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "model/calendar_state.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/settings/registry_text.h"
#include "tests/platform/registry_test_folder.h"

namespace {

constexpr char16_t kPath[] = u"HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune";

// Settings numbered n: every stored value is derived from n, so a file mixing two saves shows.
CalendarState Numbered(std::uint32_t n) {
  CalendarState state;
  state.CycleLength = static_cast<std::int32_t>(n);
  state.LutealPhase = static_cast<std::int32_t>(n + 1);
  state.MenstrualDays = static_cast<std::int32_t>(n + 2);
  const auto ms = static_cast<std::int32_t>(n % 86400000);
  state.LastPeriod =
      LocalDateTime{CivilDay(2000, 1, 1), ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
  state.LastPeriodKnown = 1;
  return state;
}

std::uint32_t Dword(const std::vector<RegKeyValue>& values, std::u16string_view name, bool* ok) {
  for (const RegKeyValue& value : values) {
    if (value.name == name && value.type == REG_DWORD && value.data.size() == 4) {
      return static_cast<std::uint32_t>(value.data[0] | value.data[1] << 8 | value.data[2] << 16) |
             static_cast<std::uint32_t>(value.data[3]) << 24;
    }
  }
  *ok = false;
  return 0;
}

// The number of the settings the file holds, or -1 when it is torn, empty, mixed or unclean.
long StoredNumber(const std::string& text) {
  RegTextParse parse = ParseRegText(text);
  if (!parse.clean) return -1;
  std::vector<RegKeyValue> values = ResolveRegKey(parse.document, kPath);
  bool ok = true;
  std::uint32_t n = Dword(values, u"CycleLength", &ok);
  const std::uint64_t ticks = TicksOf(Numbered(n).LastPeriod);
  ok = ok && Dword(values, u"LutealPhase", &ok) == n + 1 &&
       Dword(values, u"MenstrualDays", &ok) == n + 2 &&
       Dword(values, u"LastPeriodHigh", &ok) == static_cast<std::uint32_t>(ticks >> 32) &&
       Dword(values, u"LastPeriodLow", &ok) == static_cast<std::uint32_t>(ticks);
  return ok ? static_cast<long>(n) : -1;
}

constexpr std::uint32_t kOld = 28, kNew = 31;

std::string Narrow(const std::u16string& text) {
  std::string out;
  Utf16ToUtf8(text, &out);
  return out;
}

std::string Describe(const SettingsSaveResult& result) {
  return "ok=" + std::to_string(result.ok) + "\nfile=" + Narrow(result.file) +
         "\nreason=" + Narrow(result.reason) + "\n";
}

// The child side: saves the new settings and prints how it went.
class ChildMode : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* mode = std::getenv("CYCLUNE_STORE_CHILD");
    if (mode == nullptr) return;
    std::string out = Describe(SaveSettings(Numbered(kNew)));
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    ::_exit(0);
  }
};
const auto* const kChildMode = ::testing::AddGlobalTestEnvironment(new ChildMode);

std::string SelfPath() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

// Runs a shell command, returning its standard output and exit status.
std::string RunShell(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[512];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  *status = ::pclose(pipe);
  return out;
}

std::string Field(const std::string& output, const std::string& name) {
  std::size_t at = output.find("\n" + name + "=");
  if (at == std::string::npos) return "<missing>";
  at += name.size() + 2;
  return output.substr(at, output.find('\n', at) - at);
}

class SaveFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SaveSettings(Numbered(kOld)).ok);
    old_ = ReadWholeFile(folder_.file());
    ASSERT_EQ(StoredNumber(old_), kOld);
  }

  bool NoTemporaryLeft() const {
    return !std::filesystem::exists(folder_.folder() + "/registry.reg.tmp");
  }

  RegistryTestFolder folder_;
  std::string old_;
};

TEST_F(SaveFaults, KilledWritersNeverLeaveATornFile) {
  constexpr int kKills = 220;
  std::mt19937 random(12345);
  int midWrite = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (std::uint32_t n = 1000u * static_cast<std::uint32_t>(kill + 1);; ++n) {
        SaveSettings(Numbered(n));
      }
    }
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    midWrite += !NoTemporaryLeft();
    const std::string text = ReadWholeFile(folder_.file());
    ASSERT_GE(StoredNumber(text), 0) << "kill " << kill << " left:\n" << text;
  }
  std::printf("%d of %d kills landed while a temporary file existed\n", midWrite, kKills);
  EXPECT_GT(midWrite, 0);
  EXPECT_TRUE(
      SaveSettings(Numbered(kNew)).ok);  // what a killed writer leaves does not block the next save
  EXPECT_EQ(StoredNumber(ReadWholeFile(folder_.file())), kNew);
}

// System calls made to fail inside the child by strace's fault injection.
TEST_F(SaveFaults, FailingFsyncOrRenameIsReportedAndKeepsAWholeFile) {
  int status = -1;
  RunShell("strace -f -qq -o /dev/null -e inject=fsync:error=EIO true 2>&1", &status);
  if (status != 0)
    GTEST_SKIP() << "strace cannot trace here (ptrace not permitted or strace missing)";
  struct {
    const char* what;
    const char* inject;
    const char* reason;
    std::uint32_t left;
  } const cases[] = {
      {"fsync of the new file", "fsync,fdatasync:error=EIO", "Input/output error", kOld},
      {"rename over the old file", "rename,renameat,renameat2:error=EACCES", "Permission denied",
       kOld},
      {"fsync of the folder after the rename", "fsync:error=EIO:when=2", "Input/output error",
       kNew},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(folder_.file(), old_);
    std::string output = RunShell("CYCLUNE_STORE_CHILD=save strace -f -qq -o /dev/null -e inject=" +
                                      std::string(c.inject) + " " + SelfPath(),
                                  &status);
    output = "\n" + output;
    EXPECT_EQ(Field(output, "ok"), "0") << output;
    EXPECT_EQ(Field(output, "reason"), c.reason);
    EXPECT_EQ(StoredNumber(ReadWholeFile(folder_.file())), c.left);
    EXPECT_TRUE(NoTemporaryLeft());
  }
}

// A tiny tmpfs, filled up, in a private mount namespace of a forked child.
TEST_F(SaveFaults, FullDiskIsReportedAndKeepsTheOldFile) {
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(report[0]);
    const std::string root = folder_.root();
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", root.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0) {
      std::string why = std::string("skip=") + std::strerror(errno) + "\n";
      ::write(report[1], why.data(), why.size());
      ::_exit(0);
    }
    std::string out = "first_ok=" + std::to_string(SaveSettings(Numbered(kOld)).ok) + "\n";
    int filler = ::open((root + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    static const char block[4096] = {};
    while (::write(filler, block, sizeof block) > 0) {
    }
    out += Describe(SaveSettings(Numbered(kNew)));
    out += "left=" + std::to_string(StoredNumber(ReadWholeFile(folder_.file()))) + "\n";
    out += "temp_left=" + std::to_string(!NoTemporaryLeft()) + "\n";
    ::write(report[1], out.data(), out.size());
    ::_exit(0);
  }
  ::close(report[1]);
  std::string output = "\n";
  char buffer[512];
  for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(n));
  ::close(report[0]);
  ::waitpid(pid, nullptr, 0);
  if (Field(output, "skip") != "<missing>") {
    GTEST_SKIP() << "cannot mount a small tmpfs in a private namespace (needs root): "
                 << Field(output, "skip");
  }
  EXPECT_EQ(Field(output, "first_ok"), "1") << output;
  EXPECT_EQ(Field(output, "ok"), "0") << output;
  EXPECT_EQ(Field(output, "reason"), "No space left on device");
  EXPECT_EQ(Field(output, "left"), std::to_string(kOld));
  EXPECT_EQ(Field(output, "temp_left"), "0");
}

// As root, permissions bind only once privileges are dropped; the child runs as nobody.
TEST_F(SaveFaults, FolderThatMayNotBeWrittenIsReported) {
  ::chmod(folder_.folder().c_str(), 0500);
  std::string output;
  if (::geteuid() == 0) {
    const std::string self = SelfPath();
    if (::access(self.c_str(), X_OK) != 0 || ::chown(folder_.root().c_str(), 65534, 65534) != 0) {
      GTEST_SKIP() << "cannot prepare a run as nobody";
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.root())) {
      ::lchown(entry.path().c_str(), 65534, 65534);
    }
    int status = -1;
    output =
        "\n" +
        RunShell(
            "setpriv --reuid=65534 --regid=65534 --clear-groups env CYCLUNE_STORE_CHILD=save " +
                self + " 2>&1",
            &status);
    if (status != 0 || Field(output, "ok") == "<missing>") {
      GTEST_SKIP() << "cannot run this test binary as nobody (setpriv or permissions): " << output;
    }
  } else {
    output = "\n" + Describe(SaveSettings(Numbered(kNew)));
  }
  EXPECT_EQ(Field(output, "ok"), "0") << output;
  EXPECT_EQ(Field(output, "reason"), "Permission denied");
  EXPECT_EQ(Field(output, "file").rfind(folder_.folder(), 0), 0u) << output;
  EXPECT_EQ(ReadWholeFile(folder_.file()), old_);
  EXPECT_TRUE(NoTemporaryLeft());
}

// A writer that holds the lock on and on (stuck, or not a writer at all) is waited for a few
// seconds, then named; the values stay for a later save, which goes through once it is gone.
TEST_F(SaveFaults, LockHeldOnIsWaitedForBrieflyThenNamed) {
  const std::string lock = folder_.folder() + "/registry.reg.lock";
  LockHeldElsewhere holder(lock, 20);
  ASSERT_TRUE(holder.held());
  const SettingsSaveResult saved = SaveSettings(Numbered(kNew));
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(Narrow(saved.file), lock);
  const std::string reason = "another process (pid " + std::to_string(holder.pid()) +
                             ") has held it for more than 5 seconds";
  EXPECT_EQ(Narrow(saved.reason), reason);
  EXPECT_EQ(Narrow(SaveFailureSentence(saved)),
            "Cyclune could not save your settings to " + lock + ": " + reason +
                ". The new settings are kept only until Cyclune is closed.");
  const std::string left = ReadWholeFile(folder_.file());
  holder.Release();
  EXPECT_TRUE(SaveSettings(Numbered(kNew)).ok);
  EXPECT_EQ(StoredNumber(left), kOld);
  EXPECT_EQ(StoredNumber(ReadWholeFile(folder_.file())), kNew);
}

TEST_F(SaveFaults, LinkAtTheTemporaryNameIsReportedNotFollowed) {
  const std::string victim = folder_.root() + "/victim";
  WriteWholeFile(victim, "not yours");
  std::filesystem::create_symlink(victim, folder_.folder() + "/registry.reg.tmp");
  SettingsSaveResult saved = SaveSettings(Numbered(kNew));
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(Narrow(saved.file), folder_.folder() + "/registry.reg.tmp");
  EXPECT_EQ(saved.reason, u"File exists");
  EXPECT_EQ(ReadWholeFile(victim), "not yours");
  EXPECT_EQ(ReadWholeFile(folder_.file()), old_);
}

}  // namespace
