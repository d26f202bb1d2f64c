#include "platform/real_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace gara {

namespace {

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(std::FILE* file) : file_(file) {}
  ~PosixOutputFile() override {
    if (file_) std::fclose(file_);
  }
  bool Write(std::string_view bytes) override {
    return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  bool Close() override {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
  }

 private:
  std::FILE* file_;
};

// A descriptor of a regular file open for reading, or -1.
int OpenRegularFile(const std::string& path, struct stat& st) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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
  const auto buffer = std::make_unique<char[]>(kPieceSize);
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

bool RealFileSystem::IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RealFileSystem::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::unique_ptr<OutputFile> RealFileSystem::Create(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return nullptr;
  return std::make_unique<PosixOutputFile>(file);
}

bool RealFileSystem::Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace gara
