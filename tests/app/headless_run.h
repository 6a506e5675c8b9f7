// Test harness for running the real cyclune binary headless: a scratch folder per test, the
// stored settings file written and read back, the run itself (English locale, the settings
// folder inside the scratch folder), and its output read back: the PNG shots as pixel grids
// and messages.jsonl as caption/text pairs. Header-only, shared by the app and view tests.
#pragma once

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/canvas/colours.h"

namespace cyclune_test {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "cyclune-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    // Read-only folders made by a test must become writable again to be removed.
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

inline void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// --- stored settings ----------------------------------------------------------------------

inline fs::path RegistryFile(const fs::path& config_home) {
  return config_home / "cyclune" / "registry.reg";
}

// Writes the settings file with the given 32-bit values under Cyclune's key.
inline void WriteSettings(const fs::path& config_home,
                          const std::map<std::string, std::uint32_t>& values) {
  std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n";
  for (const auto& [name, value] : values) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", name.c_str(), value);
    text += line;
  }
  WriteFile(RegistryFile(config_home), text);
}

// The dword values of the settings file, by name; empty when there is no file.
inline std::map<std::string, std::uint32_t> ReadSettings(const fs::path& config_home) {
  std::map<std::string, std::uint32_t> values;
  std::istringstream lines(ReadFile(RegistryFile(config_home)));
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find("\"=dword:");
    if (line.empty() || line[0] != '"' || equals == std::string::npos) continue;
    values[line.substr(1, equals - 1)] =
        static_cast<std::uint32_t>(std::stoul(line.substr(equals + 8), nullptr, 16));
  }
  return values;
}

// --- running the binary -------------------------------------------------------------------

// How to run the program: its arguments, variables to set ("NAME=value") or to unset ("NAME"),
// and files for its standard streams (empty: /dev/null for input and output, a discarded
// file for errors).
struct ProgramRun {
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
  fs::path input;
  fs::path output;
  fs::path errors;
};

struct ProgramOutcome {
  int exit_code = -1;  // -1 when the process did not exit normally
  std::string out;     // what it wrote to `output`, when that is a regular file
  std::string err;
};

// Runs the executable `binary` in the folder `directory` (empty: this process's) as `run`
// says, with no display named, and waits for it.
inline ProgramOutcome RunProgramAt(const fs::path& binary, const fs::path& directory,
                                   const ProgramRun& run) {
  const pid_t child = fork();
  if (child == 0) {
    if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    for (const std::string& variable : run.environment) {
      const std::size_t equals = variable.find('=');
      if (equals == std::string::npos) {
        unsetenv(variable.c_str());
      } else {
        setenv(variable.substr(0, equals).c_str(), variable.c_str() + equals + 1, 1);
      }
    }
    const auto open_or_null = [](const fs::path& path, int flags) {
      return open(path.empty() ? "/dev/null" : path.c_str(), flags, 0600);
    };
    const int in = open_or_null(run.input, O_RDONLY);
    const int out = open_or_null(run.output, O_WRONLY | O_CREAT | O_TRUNC);
    const int err = open_or_null(run.errors, O_WRONLY | O_CREAT | O_TRUNC);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& argument : run.arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  ProgramOutcome outcome;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    outcome.exit_code = WEXITSTATUS(status);
  }
  // Only files are read back: /dev/full as output, say, is not.
  if (fs::is_regular_file(run.output)) outcome.out = ReadFile(run.output);
  if (fs::is_regular_file(run.errors)) outcome.err = ReadFile(run.errors);
  return outcome;
}

// Runs the cyclune binary as `run` says, with no display named, and waits for it.
inline ProgramOutcome RunProgram(const ProgramRun& run) {
  return RunProgramAt(CYCLUNE_BINARY, {}, run);
}

struct ProcessResult {
  int exit_code = -1;  // -1 when the process did not exit normally
  std::string error_output;
};

// Runs cyclune with `arguments` in an English locale with XDG_CONFIG_HOME = config_home,
// standard input and output on /dev/null and no display named.
inline ProcessResult RunCyclune(const std::vector<std::string>& arguments,
                                const fs::path& config_home) {
  const ProgramOutcome outcome =
      RunProgram({arguments,
                  {"LC_ALL=en_US.UTF-8", "XDG_CONFIG_HOME=" + config_home.string()},
                  {},
                  {},
                  config_home.parent_path() / "stderr.txt"});
  return ProcessResult{outcome.exit_code, outcome.err};
}

// One headless run: a scratch folder holding config/ (XDG_CONFIG_HOME), script.txt and out/.
struct HeadlessRun {
  ScratchDir scratch;
  fs::path config = scratch.path() / "config";
  fs::path out = scratch.path() / "out";
  ProcessResult result;

  // Runs the script with the clock fixed at `now` on a client area of `size` ("WxH"), with
  // `more` options after the others.
  const ProcessResult& Run(const std::string& now, const std::string& script,
                           const std::string& size = "240x266",
                           const std::vector<std::string>& more = {}) {
    if (!fs::exists(config)) fs::create_directories(config);
    const fs::path script_file = scratch.path() / "script.txt";
    WriteFile(script_file, script);
    std::vector<std::string> arguments{
        "--headless",         "--size", size,        "--now", now, "--script",
        script_file.string(), "--out",  out.string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    result = RunCyclune(arguments, config);
    return result;
  }
};

// --- output -------------------------------------------------------------------------------

// A shot read back as colours, row by row.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
  std::optional<Rgb> At(int x, int y) const {  // nullopt beyond the picture
    if (x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    return pixels[static_cast<std::size_t>(y * width + x)];
  }
};

inline std::optional<Picture> LoadShot(const fs::path& png) {
  SDL_Surface* loaded = IMG_Load(png.c_str());
  if (loaded == nullptr) return std::nullopt;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  if (rgb == nullptr) return std::nullopt;
  Picture picture{rgb->w, rgb->h, {}};
  picture.pixels.reserve(static_cast<std::size_t>(rgb->w * rgb->h));
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(rgb->pixels) + y * rgb->pitch;
    for (int x = 0; x < rgb->w; ++x) {
      picture.pixels.push_back(Rgb{row[3 * x], row[3 * x + 1], row[3 * x + 2]});
    }
  }
  SDL_FreeSurface(rgb);
  return picture;
}

struct MessageBoxShown {
  std::u16string caption;
  std::u16string text;
};

// Reads the JSON string starting at text[*at] == '"' and moves *at past it.
inline std::u16string ReadJsonString(const std::string& text, std::size_t* at) {
  std::u16string value;
  std::size_t i = *at + 1;
  while (i < text.size() && text[i] != '"') {
    std::uint32_t unit = static_cast<unsigned char>(text[i++]);
    if (unit == '\\' && i < text.size()) {
      const char escape = text[i++];
      const std::map<char, char16_t> simple{{'n', u'\n'}, {'r', u'\r'}, {'t', u'\t'},
                                            {'b', u'\b'}, {'f', u'\f'}, {'/', u'/'},
                                            {'"', u'"'},  {'\\', u'\\'}};
      if (escape == 'u') {
        value.push_back(static_cast<char16_t>(std::stoul(text.substr(i, 4), nullptr, 16)));
        i += 4;
      } else {
        value.push_back(simple.count(escape) ? simple.at(escape) : u'?');
      }
      continue;
    }
    // UTF-8 to UTF-16 (the texts here are within the basic plane).
    int follow = unit >= 0xE0 ? 2 : unit >= 0xC0 ? 1 : 0;
    unit &= follow == 2 ? 0x0F : follow == 1 ? 0x1F : 0x7F;
    while (follow-- > 0 && i < text.size()) unit = (unit << 6) | (text[i++] & 0x3F);
    value.push_back(static_cast<char16_t>(unit));
  }
  *at = i + 1;
  return value;
}

// The message boxes of a run, in the order shown.
inline std::vector<MessageBoxShown> ReadMessageBoxes(const fs::path& out) {
  std::vector<MessageBoxShown> boxes;
  std::istringstream lines(ReadFile(out / "messages.jsonl"));
  for (std::string line; std::getline(lines, line);) {
    MessageBoxShown box;
    for (const auto& [key, field] :
         {std::pair{"\"caption\"", &box.caption}, std::pair{"\"text\"", &box.text}}) {
      std::size_t at = line.find(key);
      if (at == std::string::npos) continue;
      at = line.find('"', at + std::string(key).size());
      if (at != std::string::npos) *field = ReadJsonString(line, &at);
    }
    boxes.push_back(box);
  }
  return boxes;
}

}  // namespace cyclune_test
