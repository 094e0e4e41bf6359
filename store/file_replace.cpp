#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace mirte {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void SyncDirectory(const std::string& path) {
  int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

int OpenNewBeside(const std::string& path, mode_t create_mode,
                  std::string* temp_path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp",
                  static_cast<long>(::getpid()), counter++);
    *temp_path = path + suffix;
    int fd = ::open(temp_path->c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, create_mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

ReplaceResult WriteInPlace(const std::string& path, std::string_view bytes,
                           const ReplaceOptions& options, mode_t create_mode) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                  create_mode);
  if (fd < 0 && options.clear_read_only) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 &&
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0) {
      fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    }
  }
  if (fd < 0) return ReplaceResult::kCannotCreate;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (options.mode) ::fchmod(fd, *options.mode);
  ok = (::close(fd) == 0) && ok;
  return ok ? ReplaceResult::kReplaced : ReplaceResult::kWriteFailed;
}

}  // namespace

ReplaceResult ReplaceFile(const std::string& path, std::string_view bytes,
                          const ReplaceOptions& options) {
  mode_t create_mode = options.mode ? *options.mode : 0666;
  std::string temp_path;
  int fd = OpenNewBeside(path, create_mode, &temp_path);
  if (fd < 0) return WriteInPlace(path, bytes, options, create_mode);

  // The rename must come after the data is on the disk: otherwise a crash
  // can leave an empty file where the old one stood.
  bool ok = WriteAll(fd, bytes);
  if (ok && options.mode) ok = ::fchmod(fd, *options.mode) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp_path.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp_path.c_str());
    return ReplaceResult::kWriteFailed;
  }
  SyncDirectory(path);
  return ReplaceResult::kReplaced;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes->clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes->append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace mirte
