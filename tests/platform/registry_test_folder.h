// A private configuration folder for one test: XDG_CONFIG_HOME points at a new empty folder
// for the test's lifetime, so the registry file of each test is its own.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

class RegistryTestFolder {
 public:
  RegistryTestFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "cyclune-store-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  ~RegistryTestFolder() {
    if (saved_)
      ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored)) {
      if (entry.is_directory(ignored)) ::chmod(entry.path().c_str(), 0700);
    }
    std::filesystem::remove_all(root_, ignored);
  }
  RegistryTestFolder(const RegistryTestFolder&) = delete;
  RegistryTestFolder& operator=(const RegistryTestFolder&) = delete;

  const std::string& root() const { return root_; }
  std::string folder() const { return root_ + "/cyclune"; }
  std::string file() const { return folder() + "/registry.reg"; }

 private:
  std::string root_;
  std::optional<std::string> saved_;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0u;
}
