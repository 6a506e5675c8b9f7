// A private configuration folder for one test: XDG_CONFIG_HOME points at a new empty folder
// for the test's lifetime, so the registry file of each test is its own.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The lock file `path` held by another process (a child that takes an flock on it) until
// Release, or until `seconds` have passed, so that a test that waits for it cannot hang.
class LockHeldElsewhere {
 public:
  LockHeldElsewhere(const std::string& path, int seconds) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(finish_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
      const char taken = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
      if (::write(ready[1], &taken, 1) != 1) ::_exit(1);
      pollfd told{finish_[0], POLLIN, 0};
      ::poll(&told, 1, seconds * 1000);
      ::_exit(0);
    }
    char taken = 'n';
    held_ = pid_ > 0 && ::read(ready[0], &taken, 1) == 1 && taken == 'y';
    ::close(ready[0]);
    ::close(ready[1]);
  }
  ~LockHeldElsewhere() { Release(); }
  LockHeldElsewhere(const LockHeldElsewhere&) = delete;
  LockHeldElsewhere& operator=(const LockHeldElsewhere&) = delete;

  bool held() const { return held_; }
  pid_t pid() const { return pid_; }
  void Release() {
    if (pid_ <= 0) return;
    [[maybe_unused]] const ssize_t told = ::write(finish_[1], "x", 1);
    ::waitpid(pid_, nullptr, 0);
    ::close(finish_[0]);
    ::close(finish_[1]);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int finish_[2] = {-1, -1};
  bool held_ = false;
};
