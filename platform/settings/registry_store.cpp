// Reading and atomically replacing the registry file. Every step works relative to an open
// descriptor of the folder, so a folder renamed or replaced midway cannot redirect a write.
#include "platform/settings/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/settings/registry_files.h"

namespace {

constexpr char kFileName[] = "registry.reg";
constexpr char kLockName[] = "registry.reg.lock";

std::string Join(const std::string& folder, const char* name) { return folder + "/" + name; }

// Reads at most the limit; a longer file counts as unclean, so it is never rewritten from
// the part that was read.
bool ReadAndParse(int fd, const std::string& path, RegTextParse* parse, bool* cut,
                  StoreFailure* failure) {
  std::string bytes;
  if (!ReadAtMost(fd, kMaxRegistryFileBytes, &bytes, cut)) return Fail(failure, path, errno);
  *parse = ParseRegText(bytes);
  if (*cut) {
    parse->clean = false;
    parse->problem = "it is larger than 8 MiB";
  }
  return true;
}

// Creates the folder and any missing parents, each 0700, and makes each new entry durable.
bool MakeFolder(const std::string& folder, StoreFailure* failure) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) {
    return S_ISDIR(st.st_mode) || Fail(failure, folder, ENOTDIR);
  }
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) == 0) {
      // The umask may take away the owner's bits; the folder must stay usable and private.
      if (::chmod(part.c_str(), 0700) != 0) return Fail(failure, part, errno);
      std::string parent = part.substr(0, part.rfind('/'));
      Fd up(::open(parent.empty() ? "/" : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (!up.ok() || ::fsync(up.get()) != 0) return Fail(failure, parent, errno);
    } else if (errno != EEXIST) {
      return Fail(failure, part, errno);
    }
    if (slash == std::string::npos) return true;
  }
}

// Anyone who may write the folder could plant the temporary file or swap the settings file:
// our own folder is closed to others, another user's is not used.
Fd OpenPrivateFolder(const std::string& folder, StoreFailure* failure) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat st {};
  if (!dir.ok() || ::fstat(dir.get(), &st) != 0) {
    Fail(failure, folder, errno);
    return Fd();
  }
  if (st.st_uid != ::geteuid()) {
    FailWith(failure, folder, "the folder belongs to another user; use a folder of your own");
    return Fd();
  }
  // Only others' bits go: an owner who took away her own write bit meant it.
  if ((st.st_mode & 07077) != 0 && ::fchmod(dir.get(), st.st_mode & 0700) != 0) {
    Fail(failure, folder, errno);
    return Fd();
  }
  return dir;
}

// A registry.reg that is a symbolic link (as dotfile managers make) is written through: the
// new version replaces the file it leads to, in that file's folder, provided both are the
// user's own and no one else may write that folder. *spot is left at registry.reg otherwise.
bool FollowLink(const std::string& folder, FileSpot* spot, Fd* linked_dir, StoreFailure* failure) {
  struct stat st {};
  if (::fstatat(spot->dir, kFileName, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) {
    return true;
  }
  const std::string link = Join(folder, kFileName);
  std::unique_ptr<char, void (*)(void*)> real(::realpath(link.c_str(), nullptr), std::free);
  if (real == nullptr) {
    return FailWith(failure, link,
                    "it is a symbolic link that leads nowhere (" + ErrorText(errno) + ")");
  }
  const std::string target = real.get();
  const std::size_t slash = target.rfind('/');
  spot->folder = target.substr(0, slash);
  spot->name = target.substr(slash + 1);
  *linked_dir = Fd(::open(spot->folder.empty() ? "/" : spot->folder.c_str(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat dir {};
  if (!linked_dir->ok() || ::fstat(linked_dir->get(), &dir) != 0) {
    return Fail(failure, spot->folder, errno);
  }
  spot->dir = linked_dir->get();
  const uid_t self = ::geteuid();
  if (::fstatat(spot->dir, spot->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(st.st_mode) || st.st_uid != self) {
    return FailWith(failure, link,
                    "it is a symbolic link to " + target + ", which is not a file of your own");
  }
  if (dir.st_uid != self || (dir.st_mode & 022) != 0) {
    return FailWith(failure, link,
                    "it is a symbolic link into " + spot->folder +
                        ", a folder that another user owns or may write");
  }
  return true;
}

// True when the file holds more than the read limit, without reading it.
bool Oversized(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && static_cast<std::uintmax_t>(st.st_size) > kMaxRegistryFileBytes;
}

// A file over the read limit keeps every byte under a second name, made in an instant
// whatever its size, and a new file takes its place; it is never rewritten from its first part.
bool ReplaceOversized(const FileSpot& spot, int original, const std::string& text,
                      std::string* moved_aside, StoreFailure* failure) {
  std::string aside;
  if (!LinkAside(spot, &aside, failure)) return false;
  if (WriteReplacing(spot, text, failure)) {
    *moved_aside = Join(spot.folder, aside.c_str());
    return true;
  }
  // While the old file is still in place under its own name, the second name goes again.
  struct stat now {
  }, old{};
  if (::fstat(original, &old) == 0 &&
      ::fstatat(spot.dir, spot.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
      now.st_ino == old.st_ino && now.st_dev == old.st_dev) {
    ::unlinkat(spot.dir, aside.c_str(), 0);
  }
  return false;
}

}  // namespace

std::string RegistryFolder() {
  // Trailing slashes dropped, so "/" itself becomes "" and every join below adds one slash.
  auto trimmed = [](std::string path) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
  };
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config != nullptr && config[0] == '/') return trimmed(config) + "/cyclune";
  if (home != nullptr && home[0] == '/') return trimmed(home) + "/.config/cyclune";
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return {};
  }
  return trimmed(found->pw_dir) + "/.config/cyclune";
}

bool MakeRegistryFolder(const std::string& folder, StoreFailure* failure) {
  return MakeFolder(folder, failure);
}

std::string RegistryFileIn(const std::string& folder) { return Join(folder, kFileName); }

bool LoadRegistryDocument(const std::string& folder, RegTextParse* parse, StoreFailure* failure) {
  *parse = RegTextParse{};
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.ok()) return errno == ENOENT || Fail(failure, folder, errno);
  bool absent = false;
  const FileSpot spot{dir.get(), folder, kFileName};
  Fd file = OpenExisting(spot, &absent, failure);
  if (!file.ok()) return absent;
  bool cut = false;
  return ReadAndParse(file.get(), spot.Path(), parse, &cut, failure);
}

bool UpdateRegistryDocument(const std::string& folder, const RegistryEdit& edit,
                            StoreFailure* failure, KeptAside* kept) {
  *kept = KeptAside{};
  if (!MakeFolder(folder, failure)) return false;
  Fd dir = OpenPrivateFolder(folder, failure);
  if (!dir.ok()) return false;
  Fd lock = TakeLock(dir.get(), folder, kLockName, failure);
  if (!lock.ok()) return false;
  FileSpot spot{dir.get(), folder, kFileName};
  Fd linked_dir;
  if (!FollowLink(folder, &spot, &linked_dir, failure)) return false;
  bool absent = false;
  Fd original = OpenExisting(spot, &absent, failure);
  if (!original.ok() && !absent) return false;
  RegTextParse parse;
  bool cut = original.ok() && Oversized(original.get());
  if (original.ok() && !cut && !ReadAndParse(original.get(), spot.Path(), &parse, &cut, failure)) {
    return false;
  }
  if (original.ok() && (cut || !parse.clean) && !edit.sets_values) {
    // Merely opening a key is no reason to replace a file that could not be read in full.
    return FailWith(failure, spot.Path(),
                    (cut ? std::string("it is larger than 8 MiB") : parse.problem) +
                        ", so it is left as it is");
  }
  if (cut) parse = RegTextParse{};
  edit.apply(parse.document);
  const std::string text = SerializeRegText(parse.document);
  if (cut) return ReplaceOversized(spot, original.get(), text, &kept->moved, failure);
  if (original.ok() && !parse.clean && !CopyAside(spot, original.get(), &kept->copied, failure)) {
    return false;
  }
  return WriteReplacing(spot, text, failure);
}

int HoldWriteLock(const std::string& folder, StoreFailure* failure) {
  if (!MakeFolder(folder, failure)) return -1;
  Fd dir = OpenPrivateFolder(folder, failure);
  if (!dir.ok()) return -1;
  Fd lock = TakeLock(dir.get(), folder, kLockName, failure);
  if (!lock.ok()) return -1;
  HoldLockAcrossUpdates(lock.get());
  return lock.Release();
}

void ReleaseWriteLock(int fd) {
  if (fd < 0) return;
  EndHeldLock();
  ::close(fd);
}
