// Files that hold cycle data: private whatever the umask, replaced whole, never through a
// link, and a failed write leaves the old file and no temporary one behind.
#include "platform/private_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/platform/registry_test_folder.h"

namespace {

namespace fs = std::filesystem;

std::size_t Entries(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

TEST(PrivateFile, WritesReplacesAndKeepsItPrivate) {
  RegistryTestFolder scratch;
  const std::string folder = scratch.root();
  const std::string path = folder + "/cycle.ics";
  const struct {
    const char* what;
    void (*before)(const std::string& path);
  } cases[] = {
      {"new file", [](const std::string&) {}},
      {"over a readable file", [](const std::string& p) {
         WriteWholeFile(p, "old contents that are longer than the new ones");
         ::chmod(p.c_str(), 0644);
       }},
      {"over a link, which is replaced", [](const std::string& p) {
         WriteWholeFile(p + ".target", "target");
         fs::create_symlink(p + ".target", p);
       }},
  };
  const mode_t umask_before = ::umask(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    c.before(path);
    const std::size_t entries = Entries(folder);
    std::string error;
    ASSERT_TRUE(WritePrivateFile(path, "BEGIN:VCALENDAR\r\n", &error)) << error;
    EXPECT_EQ(ReadWholeFile(path), "BEGIN:VCALENDAR\r\n");
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(Entries(folder), entries + (entries == 0 ? 1 : 0)) << "a temporary file is left";
    if (fs::exists(path + ".target")) {
      EXPECT_EQ(ReadWholeFile(path + ".target"), "target");
    }
  }
  ::umask(umask_before);
}

TEST(PrivateFile, AFailureLeavesTheOldFileAndSaysWhy) {
  RegistryTestFolder scratch;
  const std::string folder = scratch.root() + "/shut";
  fs::create_directories(folder);
  WriteWholeFile(folder + "/cycle.ics", "old");
  ::chmod(folder.c_str(), 0500);
  const bool refused = ::access(folder.c_str(), W_OK) != 0;  // root may write anywhere
  const struct {
    std::string path;
    const char* reason;
    bool needs_refusal;
  } cases[] = {
      {folder + "/cycle.ics", "Permission denied", true},
      {scratch.root() + "/missing/cycle.ics", "No such file or directory", false},
      {folder + "/", "Is a directory", false},
      {folder + "/..", "Is a directory", false},
  };
  for (const auto& c : cases) {
    if (c.needs_refusal && !refused) continue;
    std::string error;
    EXPECT_FALSE(WritePrivateFile(c.path, "new", &error)) << c.path;
    EXPECT_EQ(error, "cannot write " + c.path + ": " + c.reason);
  }
  ::chmod(folder.c_str(), 0700);
  EXPECT_EQ(ReadWholeFile(folder + "/cycle.ics"), "old");
  EXPECT_EQ(Entries(folder), 1u);
}

}  // namespace
