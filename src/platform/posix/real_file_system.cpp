#include "platform/real_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

namespace gara {

namespace {

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Write(std::string_view bytes) override {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
      written_ += static_cast<uint64_t>(n);
    }
    StartWriteBack();
    return true;
  }
  bool Close() override {
    if (fd_ < 0) return false;
    // The rename that follows must never put in place a file whose bytes are still only in
    // the system's cache: after a power cut the target would be empty.
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return synced && closed;
  }

 private:
  // A large file goes to the disk while the rest is still being made, so that the fsync of
  // Close waits only for its last piece (a hint: a failure is found by that fsync).
  void StartWriteBack() {
#if defined(__linux__)
    constexpr uint64_t kPiece = uint64_t{8} << 20;
    if (written_ - started_ < kPiece) return;
    ::sync_file_range(fd_, static_cast<off_t>(started_), static_cast<off_t>(written_ - started_),
                      SYNC_FILE_RANGE_WRITE);
    started_ = written_;
#endif
  }

  int fd_;
  uint64_t written_ = 0;  // bytes written so far
  uint64_t started_ = 0;  // bytes whose write-back has been started
};

// The folder part of `path` ("." for a bare name).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A regular file without any write permission: Windows neither deletes nor replaces such a file,
// and the user's protection must hold the same here.
bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// A descriptor of a regular file open for reading, or -1.
int OpenRegularFile(const std::string& path, struct stat& st) {
  // Without O_NONBLOCK a FIFO at the path would hold the run in open() until a writer came.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::optional<std::string> RealFileSystem::ReadFile(const std::string& path) {
  struct stat st {};
  const int fd = OpenRegularFile(path, st);
  if (fd < 0) return std::nullopt;
  // Sized from the file up front; the end is found by a read into a small buffer beside it, so
  // that the buffer never doubles past what the file holds (a 1 GB file would need 2 GB).
  std::string bytes;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  char probe[4096];
  while (true) {
    const bool full = got == bytes.size();
    const ssize_t n =
        full ? ::read(fd, probe, sizeof probe) : ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    // Past the measured size only when the file grows while it is read.
    if (full) bytes.append(probe, static_cast<size_t>(n));
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

bool RealFileSystem::ReadPieces(const std::string& path,
                                const std::function<bool(std::string_view)>& consume) {
  struct stat st {};
  const int fd = OpenRegularFile(path, st);
  if (fd < 0) return false;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPieceSize);
  bool ok = true;
  while (true) {
    const ssize_t n = ::read(fd, buffer.get(), kPieceSize);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0 || !consume(std::string_view(buffer.get(), static_cast<size_t>(n)))) break;
  }
  ::close(fd);
  return ok;
}

std::optional<uint64_t> RealFileSystem::FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

bool RealFileSystem::IsFile(const std::string& path) { return StateOf(path) == FileState::kFile; }

FileState RealFileSystem::StateOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return StateOfLookupError(static_cast<unsigned long>(errno));
  return S_ISREG(st.st_mode) ? FileState::kFile : FileState::kNotAFile;
}

FileState StateOfLookupError(unsigned long error) {
  // ENOTDIR: a file stands where a folder of the path should be, so nothing is at the path.
  // EACCES (a folder on the way that may not be searched), ELOOP, EIO and the like say nothing
  // of whether the file is there.
  return error == ENOENT || error == ENOTDIR ? FileState::kMissing : FileState::kUnreachable;
}

bool RealFileSystem::Remove(const std::string& path) {
  if (IsReadOnlyFile(path)) return false;
  return ::unlink(path.c_str()) == 0;
}

std::unique_ptr<OutputFile> RealFileSystem::Create(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

bool RealFileSystem::Rename(const std::string& from, const std::string& to) {
  // rename() would replace a read-only file.
  if (IsReadOnlyFile(to)) return false;
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  // The new name lives in the folder: until the folder reaches the disk, a power cut can bring
  // back the old file or none. The rename itself has happened, so a folder that cannot be
  // flushed does not undo it: a caller told otherwise would remove the new file.
  const int folder = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

uint32_t RealFileSystem::ProcessId() { return static_cast<uint32_t>(::getpid()); }

}  // namespace gara
