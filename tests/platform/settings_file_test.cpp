// The settings file: when values reach it, file and folder modes, concurrent writers, and files
// that must not be trusted or followed.
#include "platform/settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/settings/registry_text.h"
#include "tests/platform/registry_test_folder.h"

namespace {

constexpr char16_t kKey[] = u"HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune";
constexpr char kHead[] =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n";

// Saves one value and reports how the save went.
SettingsFileStatus SaveOne(const char16_t* name, std::uint32_t value) {
  return SaveSettingsDwords(kKey, {{name, value}}).status;
}

TEST(SettingsFile, ValuesReachTheFileTogetherAndReadBackAsDwords) {
  RegistryTestFolder folder;
  EXPECT_FALSE(ReadSettingsKey(kKey).found);
  EXPECT_TRUE(CreateSettingsKey(kKey).status.ok);
  EXPECT_EQ(ReadWholeFile(folder.file()), std::string(kHead) + "\n");
  WriteWholeFile(folder.file(), std::string(kHead) + "\"Text\"=\"28\"\n\"Hex\"=hex:1c,00,00,00\n");
  EXPECT_TRUE(SaveSettingsDwords(kKey, {{u"CycleLength", 28}, {u"LutealPhase", 14}}).status.ok);
  EXPECT_EQ(ReadWholeFile(folder.file()),
            std::string(kHead) + "\"Text\"=\"28\"\n\"Hex\"=hex:1c,00,00,00\n" +
                "\"CycleLength\"=dword:0000001c\n\"LutealPhase\"=dword:0000000e\n");
  const SettingsKeyRead read = ReadSettingsKey(kKey);
  EXPECT_TRUE(read.status.ok && read.found);
  EXPECT_EQ(read.Dword(u"cyclelength"), 28u);
  EXPECT_EQ(read.Dword(u"Text"), std::nullopt);  // not a dword, though it reads as 28
  EXPECT_EQ(read.Dword(u"Hex"), std::nullopt);
}

// A umask that takes the owner's own bits must not leave a file that the next save cannot open.
// A lock already left 0400 by such a umask is given its write bit back.
TEST(SettingsFile, FolderAndFilesArePrivateWhateverTheUmask) {
  const struct {
    mode_t mask;
    unsigned left_lock;  // mode of a lock file already there; 0: none
  } cases[] = {{0, 0}, {0277, 0}, {022, 0400}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mask);
    RegistryTestFolder folder;
    ::setenv("XDG_CONFIG_HOME", (folder.root() + "/a/b").c_str(), 1);
    if (c.left_lock != 0) {
      const std::string lock = folder.root() + "/a/b/cyclune/registry.reg.lock";
      WriteWholeFile(lock, "");
      ::chmod(lock.c_str(), c.left_lock);
    }
    const mode_t old = ::umask(c.mask);
    const SettingsFileStatus first = SaveOne(u"CycleLength", 28);
    const SettingsFileStatus second = SaveOne(u"CycleLength", 29);
    ::umask(old);
    EXPECT_TRUE(first.ok);
    EXPECT_TRUE(second.ok);
    if (c.left_lock == 0) {
      EXPECT_EQ(ModeOf(folder.root() + "/a"), 0700u);  // made by the save, not before it
    }
    EXPECT_EQ(ModeOf(folder.root() + "/a/b/cyclune"), 0700u);
    EXPECT_EQ(ModeOf(folder.root() + "/a/b/cyclune/registry.reg"), 0600u);
    EXPECT_EQ(ModeOf(folder.root() + "/a/b/cyclune/registry.reg.lock"), 0600u);
  }
}

// Others who may write the folder could plant the temporary file or swap the settings: the
// user's own folder is closed to them, another user's folder is not used at all.
TEST(SettingsFile, SettingsFolderIsTheUsersAlone) {
  const struct {
    mode_t mode;
    uid_t owner;  // 0: the test's own user
    bool saved;
    unsigned after;
  } cases[] = {
      {0755, 0, true, 0700},
      {0777, 0, true, 0700},
      {0700, 65534, false, 0700},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    RegistryTestFolder folder;
    WriteWholeFile(folder.file(), std::string(kHead));
    ::chmod(folder.folder().c_str(), c.mode);
    if (c.owner != 0 && (::geteuid() != 0 || ::chown(folder.folder().c_str(), c.owner, 0) != 0)) {
      continue;  // only root can give a folder away
    }
    const SettingsFileStatus status = SaveOne(u"CycleLength", 28);
    EXPECT_EQ(status.ok, c.saved);
    EXPECT_EQ(ModeOf(folder.folder()), c.after);
    if (c.saved) continue;
    EXPECT_EQ(status.reason, u"the folder belongs to another user; use a folder of your own");
    EXPECT_EQ(ReadWholeFile(folder.file()), kHead);
  }
}

// A link (a dotfile manager's) is saved through, atomically beside the file it leads to, when
// that file and its folder are the user's alone; otherwise nothing is written anywhere.
TEST(SettingsFile, LinkedSettingsFileIsWrittenThroughOrLeftAlone) {
  const struct {
    const char* what;
    unsigned folder_mode;
    bool target_exists;
    uid_t owner;  // of the target; 0: the test's own user
    bool saved;
    const char16_t* reason;  // how the refusal begins
  } cases[] = {
      {"own file", 0755, true, 0, true, u""},
      {"leads nowhere", 0700, false, 0, false, u"it is a symbolic link that leads nowhere"},
      {"folder others may write", 0777, true, 0, false, u"it is a symbolic link into "},
      {"another user's file", 0755, true, 65534, false, u"it is a symbolic link to "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryTestFolder folder;
    const std::string dots = folder.root() + "/dots";
    const std::string target = dots + "/cyclune.reg";
    const std::string original = std::string(kHead) + "\"Foreign\"=\"kept\"\n";
    WriteWholeFile(target, original);
    if (!c.target_exists) std::filesystem::remove(target);
    ::chmod(dots.c_str(), c.folder_mode);
    if (c.owner != 0 && (::geteuid() != 0 || ::chown(target.c_str(), c.owner, 0) != 0)) continue;
    std::filesystem::create_directories(folder.folder());
    std::filesystem::create_symlink("../dots/cyclune.reg", folder.file());
    const SettingsFileStatus status = SaveOne(u"CycleLength", 28);
    EXPECT_EQ(status.ok, c.saved);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dots), {}),
              c.target_exists ? 1 : 0);
    if (!c.saved) {
      EXPECT_EQ(status.reason.rfind(c.reason, 0), 0u);
      if (c.target_exists) {
        EXPECT_EQ(ReadWholeFile(target), original);
      }
      continue;
    }
    EXPECT_EQ(ReadWholeFile(target), original + "\"CycleLength\"=dword:0000001c\n");
    EXPECT_EQ(ModeOf(target), 0600u);
  }
}

TEST(SettingsFile, SettingsFileFollowsTheEnvironment) {
  RegistryTestFolder folder;
  const char* saved = std::getenv("HOME");
  const std::optional<std::string> home = saved ? std::optional<std::string>(saved) : std::nullopt;
  struct {
    const char* config;
    const char* home;
    const char16_t* path;
  } const cases[] = {
      {"/x/conf", "/h", u"/x/conf/cyclune/registry.reg"},
      {"/x/conf/", "/h", u"/x/conf/cyclune/registry.reg"},
      {"relative", "/h", u"/h/.config/cyclune/registry.reg"},
      {"", "/h/", u"/h/.config/cyclune/registry.reg"},
  };
  for (const auto& c : cases) {
    ::setenv("XDG_CONFIG_HOME", c.config, 1);
    ::setenv("HOME", c.home, 1);
    EXPECT_EQ(SettingsFileName(), c.path) << c.config;
  }
  if (home)
    ::setenv("HOME", home->c_str(), 1);
  else
    ::unsetenv("HOME");
}

// Writers in several processes each add their own value many times; the lock held across
// read-modify-write means none of them drops another's value.
TEST(SettingsFile, ConcurrentWritersKeepEachOthersValues) {
  RegistryTestFolder folder;
  WriteWholeFile(folder.file(), std::string(kHead) + "\"Foreign\"=\"kept\"\n");
  constexpr int kWriters = 4, kRounds = 25;
  std::vector<pid_t> children;
  for (int i = 0; i < kWriters; ++i) {
    pid_t pid = ::fork();
    if (pid == 0) {
      const char16_t name[] = {u'W', static_cast<char16_t>(u'0' + i), 0};
      int failures = 0;
      for (std::uint32_t round = 1; round <= kRounds; ++round) failures += !SaveOne(name, round).ok;
      ::_exit(failures);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegTextParse parse = ParseRegText(ReadWholeFile(folder.file()));
  EXPECT_TRUE(parse.clean) << parse.problem;
  std::vector<RegKeyValue> values = ResolveRegKey(parse.document, kKey);
  ASSERT_EQ(values.size(), 1u + kWriters);
  for (std::size_t i = 1; i <= kWriters; ++i) {
    EXPECT_EQ(values[i].data, (std::vector<std::uint8_t>{kRounds, 0, 0, 0}));
  }
}

TEST(SettingsFile, UncleanFileIsKeptAsideBeforeItIsReplaced) {
  RegistryTestFolder folder;
  const std::string damaged = std::string(kHead) + "\"Foreign\"=\"kept\"\nthis line is damage\n" +
                              std::string("\0\x01\x02", 3) + "\n\"CycleLength\"=dword:0000001";
  WriteWholeFile(folder.file(), damaged);
  const SettingsFileSave saved = SaveSettingsDwords(kKey, {{u"CycleLength", 30}});
  ASSERT_TRUE(saved.status.ok);
  std::vector<std::string> asides;
  for (const auto& entry : std::filesystem::directory_iterator(folder.folder())) {
    std::string name = entry.path().filename();
    if (name.rfind("registry.reg.unreadable-", 0) == 0) asides.push_back(entry.path());
  }
  ASSERT_EQ(asides.size(), 1u);
  EXPECT_EQ(saved.copied, asides[0]);
  EXPECT_EQ(ReadWholeFile(asides[0]), damaged);
  EXPECT_EQ(ModeOf(asides[0]), 0600u);
  EXPECT_EQ(ReadWholeFile(folder.file()),
            std::string(kHead) + "\"Foreign\"=\"kept\"\n\"CycleLength\"=dword:0000001e\n");
  ASSERT_TRUE(SaveOne(u"CycleLength", 31).ok);  // now clean: nothing more kept aside
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.folder()), {}), 3);
}

// Only setting a value replaces a file that was not read in full; merely creating the key, as
// every start does, leaves it byte for byte and keeps nothing aside.
TEST(SettingsFile, CreatingAKeyNeverRewritesAFileNotReadInFull) {
  const struct {
    const char* what;
    std::string text;
    off_t size;  // made sparse to this size; 0 leaves the text as it is
  } cases[] = {
      {"over 8 MiB", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Other]\n",
       (8 << 20) + 1},
      {"damaged", "Windows Registry Editor Version 5.00\n\nnot a line of the format\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryTestFolder folder;
    WriteWholeFile(folder.file(), c.text);
    if (c.size > 0) {
      ASSERT_EQ(::truncate(folder.file().c_str(), c.size), 0);
    }
    struct stat before {};
    ::stat(folder.file().c_str(), &before);
    EXPECT_FALSE(ReadSettingsKey(kKey).found);
    EXPECT_FALSE(CreateSettingsKey(kKey).status.ok);
    struct stat after {};
    ::stat(folder.file().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(ReadWholeFile(folder.file()).substr(0, c.text.size()), c.text);
    EXPECT_FALSE(std::filesystem::exists(folder.folder() + "/registry.reg.tmp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.folder()), {}), 2);
  }
}

TEST(SettingsFile, LeftoverOfAKilledWriterIsReplaced) {
  RegistryTestFolder folder;
  WriteWholeFile(folder.folder() + "/registry.reg.tmp", "half a fi");
  EXPECT_TRUE(SaveOne(u"CycleLength", 28).ok);
  EXPECT_FALSE(std::filesystem::exists(folder.folder() + "/registry.reg.tmp"));
  EXPECT_NE(ReadWholeFile(folder.file()).find("dword:0000001c"), std::string::npos);
}

// Whatever is not a plain file at the temporary name is left alone and never written through;
// the save fails and says where and why.
TEST(SettingsFile, NeverWritesThroughTheTemporaryName) {
  RegistryTestFolder folder;
  ASSERT_TRUE(SaveOne(u"CycleLength", 28).ok);
  const std::string old = ReadWholeFile(folder.file());
  const std::string temp = folder.folder() + "/registry.reg.tmp";
  const std::string victim = folder.root() + "/victim";
  WriteWholeFile(victim, "precious");
  for (const std::string& target : {victim, folder.root() + "/nowhere"}) {
    SCOPED_TRACE(target);
    std::filesystem::create_symlink(target, temp);
    const SettingsFileStatus failure = SaveOne(u"CycleLength", 29);
    EXPECT_FALSE(failure.ok);
    EXPECT_EQ(failure.path, temp);
    EXPECT_EQ(failure.reason, u"File exists");
    EXPECT_TRUE(std::filesystem::is_symlink(temp));
    EXPECT_EQ(ReadWholeFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::exists(folder.root() + "/nowhere"));
    EXPECT_EQ(ReadWholeFile(folder.file()), old);
    std::filesystem::remove(temp);
  }
}

TEST(SettingsFile, SomethingOtherThanAFileIsNotRead) {
  RegistryTestFolder folder;
  std::filesystem::create_directories(folder.folder());
  ASSERT_EQ(::mkfifo(folder.file().c_str(), 0600), 0);  // would block a plain open for ever
  const SettingsKeyRead read = ReadSettingsKey(kKey);
  EXPECT_FALSE(read.status.ok);
  EXPECT_EQ(read.status.reason, u"it is not a regular file");
}

}  // namespace
