#include "app/reminder_state.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/reminders.h"
#include "platform/settings/private_file.h"

namespace {

constexpr char kFileName[] = "reminders";
constexpr std::size_t kMaxStateBytes = 1 << 20;  // a few lines a month; a bound for a bad file

std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return {};
  }
  return found->pw_dir;
}

// Makes `folder` and its missing parents, each 0700 whatever the umask.
bool MakePrivateFolders(const std::string& folder, std::string* error) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) == 0) {
      if (chmod(part.c_str(), 0700) != 0) break;
    } else if (errno != EEXIST) {
      break;
    }
    if (slash == std::string::npos) return true;
  }
  *error = "cannot make the folder " + folder + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::string ReminderStateFile() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base = state != nullptr && state[0] == '/' ? Trimmed(state) : std::string();
  if (base.empty()) {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = Trimmed(home) + "/.local/state";
  }
  if (base == "/") base.clear();
  return base + "/cyclune/" + kFileName;
}

bool ReadSaidReminders(const std::string& path, std::vector<std::string>* keys,
                       std::string* error) {
  keys->clear();
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (errno == ENOENT) return true;
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  std::size_t read = 0;
  while (read < kMaxStateBytes && std::getline(file, line)) {
    read += line.size() + 1;
    if (!line.empty()) keys->push_back(line);
  }
  if (file.bad()) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool WriteSaidReminders(const std::string& path, const std::vector<std::string>& keys,
                        std::string* error) {
  const std::string folder = path.substr(0, path.rfind('/'));
  if (!MakePrivateFolders(folder, error)) return false;
  // The folder may be older than us, made with the umask's bits.
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 077) != 0) {
    chmod(folder.c_str(), 0700);
  }
  std::string text;
  for (const std::string& key : keys) text += key + "\n";
  return WritePrivateFile(path, text, error);
}

std::vector<std::string> KeptReminders(const std::vector<std::string>& keys, std::int64_t oldest) {
  std::vector<std::string> kept;
  for (const std::string& key : keys) {
    std::int64_t day = 0;
    if (ReminderKeyDay(key, &day) && day >= oldest) kept.push_back(key);
  }
  return kept;
}
