// The executable and its modules: --help and --version need none; every other mode finds its
// module beside the executable or in the installed folder, never in the current folder or on
// the library path, and a module that is missing or broken ends the mode with one line naming
// it, while the modes that do not need it still run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/headless_run.h"

namespace {

namespace fs = std::filesystem;
using cyclune_test::ProgramOutcome;
using cyclune_test::ScratchDir;

const fs::path kBuilt = fs::path(CYCLUNE_BINARY).parent_path();

// A copy of the executable in `folder`/bin with the given modules beside it.
fs::path InstallCopy(const fs::path& folder, const std::vector<std::string>& modules) {
  fs::create_directories(folder / "bin");
  fs::copy_file(CYCLUNE_BINARY, folder / "bin" / "cyclune");
  for (const std::string& module : modules) fs::copy_file(kBuilt / module, folder / "bin" / module);
  return folder / "bin" / "cyclune";
}

ProgramOutcome RunCopy(const fs::path& binary, const fs::path& scratch,
                       const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment = {},
                       const fs::path& directory = {}) {
  std::vector<std::string> variables = {"LC_ALL=C.UTF-8", "XDG_CONFIG_HOME=" + scratch.string(),
                                        "XDG_RUNTIME_DIR=" + scratch.string()};
  variables.insert(variables.end(), environment.begin(), environment.end());
  return cyclune_test::RunProgramAt(
      binary, directory, {arguments, variables, {}, scratch / "out.txt", scratch / "err.txt"});
}

TEST(ProgramModules, HelpAndVersionNeedNoModuleAndTheRestSaysWhichIsMissing) {
  ScratchDir scratch;
  const fs::path binary = InstallCopy(scratch.path() / "alone", {});
  ProgramOutcome version = RunCopy(binary, scratch.path(), {"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, std::string("cyclune ") + CYCLUNE_VERSION + "\n");
  EXPECT_EQ(RunCopy(binary, scratch.path(), {"--help"}).exit_code, 0);

  const ProgramOutcome month = RunCopy(binary, scratch.path(), {"--month"});
  EXPECT_EQ(month.exit_code, 1);
  EXPECT_EQ(month.err.rfind("cyclune: cannot start: cyclune-program.so is missing: it is not in " +
                                (scratch.path() / "alone").string(),
                            0),
            0u)
      << month.err;
}

TEST(ProgramModules, NeitherTheCurrentFolderNorTheLibraryPathLendsAModule) {
  ScratchDir scratch;
  const fs::path binary = InstallCopy(scratch.path() / "alone", {});
  const fs::path planted = scratch.path() / "planted";
  fs::create_directories(planted);
  fs::copy_file(kBuilt / "cyclune-program.so", planted / "cyclune-program.so");
  const ProgramOutcome month = RunCopy(binary, scratch.path(), {"--month"},
                                       {"LD_LIBRARY_PATH=" + planted.string()}, planted);
  EXPECT_EQ(month.exit_code, 1);
  EXPECT_NE(month.err.find("cyclune-program.so is missing"), std::string::npos) << month.err;
}

TEST(ProgramModules, WithTheProgramModuleAloneOnlyTheFrontEndsFail) {
  ScratchDir scratch;
  const fs::path binary = InstallCopy(scratch.path() / "no-pixels", {"cyclune-program.so"});
  const ProgramOutcome month = RunCopy(binary, scratch.path(), {"--month", "2024-05"});
  EXPECT_EQ(month.exit_code, 0) << month.err;
  EXPECT_NE(month.out.find("May 2024"), std::string::npos) << month.out;

  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"--headless"}, "cyclune: cyclune-pixels.so is missing"},
      {{"--window"}, "cyclune: cannot open a window: cyclune-pixels.so is missing"},
      {{"--terminal"}, "cyclune: cyclune-terminal.so is missing"},
      // A broken installation, whatever the command: the same status for both.
      {{"--import", "export.csv"}, "cyclune: cyclune-formats.so is missing"},
      {{"--ics"}, "cyclune: cyclune-formats.so is missing"},
  };
  for (const Case& c : cases) {
    const ProgramOutcome outcome = RunCopy(binary, scratch.path(), c.arguments);
    EXPECT_EQ(outcome.exit_code, 1) << c.arguments[0];
    EXPECT_EQ(outcome.err.rfind(c.error, 0), 0u) << outcome.err;
  }
}

TEST(ProgramModules, ABrokenProgramModuleIsReportedNotRun) {
  ScratchDir scratch;
  const fs::path binary = InstallCopy(scratch.path() / "broken", {});
  std::ofstream(scratch.path() / "broken" / "bin" / "cyclune-program.so") << "truncated\n";
  const ProgramOutcome month = RunCopy(binary, scratch.path(), {"--month"});
  EXPECT_EQ(month.exit_code, 1);
  EXPECT_NE(month.err.find("cannot start: cannot load "), std::string::npos) << month.err;
}

}  // namespace
