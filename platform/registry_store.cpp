#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/paths.h"
#include "platform/registry_file.h"
#include "platform/registry_tree.h"
#include "platform/ui.h"

namespace platform {

namespace {

std::string ErrorText(int error) { return std::strerror(error); }

// The whole file, or false with errno's value in `error`.
bool ReadWholeFile(const std::string& path, std::string& text, int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return error = errno, false;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      ::close(fd);
      return false;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// What the file was when the store last read or wrote it. Every save puts
// a new file in place, so a different stamp means someone else wrote it.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_size,
          static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

class Store {
 public:
  // Runs `work` on the loaded tree under the lock. A load that found a
  // damaged file reports it after the lock is released: the box may wait
  // for the main thread, which may itself be waiting for this lock.
  template <class Work>
  auto Run(Work work) {
    std::string notice;
    auto result = [&] {
      std::lock_guard lock(mutex_);
      // A hand edit, or another bench, changed the file since: read it
      // again, so a save never writes over what they put there.
      if (!loaded_ || (blocked_.empty() && StampOf(path_) != stamp_)) Load(notice);
      return work();
    }();
    if (!notice.empty()) ::MessageBox(0, notice.c_str(), "Registry", MB_OK);
    return result;
  }

  // Applies `change` and saves; on a failed save the change is undone.
  template <class Edit>
  bool Change(Edit change, std::string& error) {
    return Run([&] {
      RegistryTree before = tree_;
      if (!change(tree_)) return false;
      if (tree_ == before) return true;
      if (Save(error)) return true;
      tree_ = std::move(before);
      return false;
    });
  }

  const RegistryTree& Tree() const { return tree_; }

  void Reset() {
    std::lock_guard lock(mutex_);
    loaded_ = false;
    tree_ = {};
    blocked_.clear();
  }

 private:
  void Load(std::string& notice) {
    loaded_ = true;
    path_ = RegistryFilePath();
    tree_ = {};
    blocked_.clear();
    std::string text;
    int error = 0;
    if (!ReadWholeFile(path_, text, error)) {
      if (error != ENOENT) SetAside("cannot be read: " + ErrorText(error), notice);
    } else {
      try {
        tree_ = ParseRegFile(text);
      } catch (const RegFileError& fault) {
        SetAside("is damaged at line " + std::to_string(fault.line) + ": " + fault.what, notice);
      }
    }
    stamp_ = StampOf(path_);
  }

  // Keeps the damaged file for the person to inspect; the store starts empty.
  void SetAside(const std::string& problem, std::string& notice) {
    const std::string base = path_ + ".damaged-" + std::string(FormatDateTime("yyyymmdd-hhnnss", Now()));
    std::string aside = base;
    struct stat info {};
    for (int n = 2; ::lstat(aside.c_str(), &info) == 0; ++n) aside = base + "-" + std::to_string(n);
    notice = "The registry file " + path_ + " " + problem + ".\n\n";
    if (::rename(path_.c_str(), aside.c_str()) == 0) {
      notice += "It was moved to " + aside + " and the settings start from their defaults.";
      return;
    }
    const std::string why = ErrorText(errno);
    blocked_ = "the damaged registry file " + path_ + " could not be moved aside (" + why + ")";
    notice += "It could not be moved aside (" + why +
              "), so the settings start from their defaults and changes are not saved until the file is "
              "repaired or removed.";
  }

  bool Save(std::string& error) {
    if (!blocked_.empty()) {
      error = "not saved: " + blocked_;
      return false;
    }
    const std::string text = FormatRegFile(tree_);
    const std::string temp = path_ + "." + std::to_string(::getpid()) + ".tmp";
    auto fail = [&](const std::string& what) {
      error = what + ": " + ErrorText(errno);
      return false;
    };
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return fail("cannot create " + temp);
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
      if (!written) errno = writeErrno;
      const bool result = fail("cannot write " + temp);
      ::unlink(temp.c_str());
      return result;
    }
    if (::rename(temp.c_str(), path_.c_str()) != 0) {
      const bool result = fail("cannot replace " + path_);
      ::unlink(temp.c_str());
      return result;
    }
    stamp_ = StampOf(path_);
    // The new name is in place; syncing the folder makes it survive a power
    // cut. If that fails the contents are still right, so it is not an error.
    const int folder = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
    return true;
  }

  std::mutex mutex_;
  bool loaded_ = false;
  std::string path_;
  RegistryTree tree_;
  std::string blocked_;  // why saving is refused, when it is
  FileStamp stamp_;
};

Store& TheStore() {
  static Store store;
  return store;
}

// The full path of a key, or "" for a root the store does not hold.
std::string FullPath(HKEY root, std::string_view path) {
  const char* rootName = RegistryRootName(root);
  if (!rootName) return {};
  std::string full = rootName;
  if (!path.empty()) {
    full += '\\';
    full += path;
  }
  return full;
}

}  // namespace

namespace registry_store {

bool KeyExists(HKEY root, std::string_view path) {
  const std::string full = FullPath(root, path);
  if (full.empty()) return false;
  if (path.empty()) return true;
  return TheStore().Run([&] { return TheStore().Tree().HasKey(full); });
}

bool CreateKey(HKEY root, std::string_view path, std::string& error) {
  const std::string full = FullPath(root, path);
  if (full.empty()) {
    error = "unknown root key";
    return false;
  }
  return TheStore().Change(
      [&](RegistryTree& tree) {
        tree.AddKey(full);
        return true;
      },
      error);
}

std::optional<RegistryValue> GetValue(HKEY root, std::string_view path, std::string_view name) {
  const std::string full = FullPath(root, path);
  if (full.empty()) return std::nullopt;
  return TheStore().Run([&]() -> std::optional<RegistryValue> {
    const RegistryValue* value = TheStore().Tree().FindValue(full, name);
    return value ? std::optional<RegistryValue>(*value) : std::nullopt;
  });
}

bool SetValue(HKEY root, std::string_view path, std::string_view name, RegistryValue value, std::string& error) {
  const std::string full = FullPath(root, path);
  return TheStore().Change(
      [&](RegistryTree& tree) {
        if (full.empty() || (!path.empty() && !tree.HasKey(full))) {
          error = "the key does not exist";
          return false;
        }
        tree.SetValue(full, name, std::move(value));
        return true;
      },
      error);
}

bool DeleteValue(HKEY root, std::string_view path, std::string_view name, std::string& error) {
  const std::string full = FullPath(root, path);
  if (full.empty()) return false;
  return TheStore().Change([&](RegistryTree& tree) { return tree.DeleteValue(full, name); }, error);
}

}  // namespace registry_store

AnsiString RegistryFilePath() { return UserDataDir() + "/registry.reg"; }

void ResetRegistryStoreForTests() { TheStore().Reset(); }

}  // namespace platform
