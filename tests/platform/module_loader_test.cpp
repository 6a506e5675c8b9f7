// The module loader: a module is taken from beside the executable only, and only when its
// stamp is that of this build; everything else is refused with one line that names the file.
#include "platform/modules/module_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path TestFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

TEST(ModuleLoader, TakesOnlyAModuleStampedByThisBuild) {
  struct Case {
    const char* entry;
    int interface;
    bool taken;
  };
  const Case cases[] = {
      {"ThisBuild", 1, true},
      {"ThisBuild", 2, false},   // the table has changed since
      {"OtherBuild", 1, false},  // another version's module
      {"NoSuchEntry", 1, false},
  };
  for (const Case& c : cases) {
    std::string error;
    const ModuleStamp* stamp =
        OpenModule("cyclune-test-stamp.so", c.entry, c.interface, false, &error);
    EXPECT_EQ(stamp != nullptr, c.taken) << c.entry << " " << c.interface;
    if (c.taken) {
      ASSERT_NE(stamp, nullptr);
      EXPECT_STREQ(stamp->version, CYCLUNE_VERSION);
    } else {
      EXPECT_NE(error.find("is not a module of this cyclune"), std::string::npos) << error;
    }
  }
}

TEST(ModuleLoader, AFileThatIsNoModuleIsRefusedWithTheReason) {
  const fs::path bogus = TestFolder() / "cyclune-test-bogus.so";
  std::ofstream(bogus) << "not a shared object\n";
  std::string error;
  EXPECT_EQ(OpenModule("cyclune-test-bogus.so", "ThisBuild", 1, false, &error), nullptr);
  fs::remove(bogus);
  EXPECT_EQ(error.rfind("cannot load " + bogus.string() + ": ", 0), 0u) << error;
}

TEST(ModuleLoader, TheCurrentFolderIsNotSearched) {
  const fs::path elsewhere =
      fs::temp_directory_path() / ("cyclune-modules-" + std::to_string(getpid()));
  fs::create_directories(elsewhere);
  fs::copy_file(TestFolder() / "cyclune-test-stamp.so", elsewhere / "cyclune-test-moved.so");
  const fs::path before = fs::current_path();
  fs::current_path(elsewhere);
  std::string error;
  const ModuleStamp* stamp = OpenModule("cyclune-test-moved.so", "ThisBuild", 1, false, &error);
  fs::current_path(before);
  fs::remove_all(elsewhere);
  EXPECT_EQ(stamp, nullptr);
  EXPECT_NE(error.find("cyclune-test-moved.so is missing: it is not in /"), std::string::npos)
      << error;
}

int Twice(int value) { return 2 * value; }
int Negated(int value) { return -value; }
const char* Named() { return "named"; }

TEST(ModuleLoader, ATableCallsEachFunctionThroughItsOwnSlot) {
  using Table = ModuleTable<&Twice, &Named, &Negated>;
  const Table table = Table::Own(3);
  EXPECT_EQ(table.stamp.interface, 3);
  EXPECT_EQ(table.Call<&Twice>(5), 10);
  EXPECT_EQ(table.Call<&Negated>(5), -5);
  EXPECT_STREQ(table.Call<&Named>(), "named");
}

TEST(ModuleLoader, AModuleThatCannotBeOpenedIsTriedOnceAndGivesTheSameReason) {
  using Table = ModuleTable<&Twice>;
  constexpr ModuleName kMissing{"cyclune-test-missing.so", "ThisBuild", 1};
  std::string first;
  std::string second;
  EXPECT_EQ(OpenModuleOnce<Table>(kMissing, &first), nullptr);
  EXPECT_EQ(OpenModuleOnce<Table>(kMissing, &second), nullptr);
  EXPECT_EQ(ModuleIfOpened<Table>(), nullptr);
  EXPECT_NE(first.find("cyclune-test-missing.so is missing"), std::string::npos) << first;
  EXPECT_EQ(first, second);
}

}  // namespace
