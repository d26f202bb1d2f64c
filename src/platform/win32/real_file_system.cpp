// Windows files through the ANSI functions: paths are Shift-JIS bytes (code page 932), as the
// exchange file, the settings file and the dialog hand them over.
#include "platform/real_file_system.h"

#include <windows.h>

#include <limits>

namespace gara {

namespace {

class Win32OutputFile final : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE file) : file_(file) {}
  ~Win32OutputFile() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  bool Write(std::string_view bytes) override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    while (!bytes.empty()) {
      const DWORD chunk = static_cast<DWORD>(
          bytes.size() < (1u << 30) ? bytes.size() : static_cast<size_t>(1u << 30));
      DWORD written = 0;
      if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }
  bool Close() override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file_) != 0;
    const bool closed = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    return flushed && closed;
  }

 private:
  HANDLE file_;
};

// Calls `step` until it succeeds or fails for another reason than a file that someone else has
// open for a moment (another run reading or replacing it, a virus scanner): Windows then
// refuses to open or replace it, where Linux would not.
template <typename Step>
bool WhileBusy(Step&& step) {
  constexpr int kAttempts = 100;
  for (int attempt = 1;; ++attempt) {
    if (step()) return true;
    const DWORD error = GetLastError();
    if (attempt == kAttempts || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
      return false;
    Sleep(20);
  }
}

bool IsRegularFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_DEVICE);
}

// A handle of a regular file open for reading and its size, or INVALID_HANDLE_VALUE.
HANDLE OpenRegularFile(const std::string& path, LARGE_INTEGER& size) {
  // Jw_cad may still hold the exchange file open for writing: share everything.
  HANDLE file = INVALID_HANDLE_VALUE;
  WhileBusy([&] {
    file = CreateFileA(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    // A directory is refused as "access denied" too, and for good.
    if (file == INVALID_HANDLE_VALUE && !IsRegularFile(GetFileAttributesA(path.c_str()))) {
      SetLastError(ERROR_FILE_NOT_FOUND);
    }
    return file != INVALID_HANDLE_VALUE;
  });
  if (file == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION info{};
  // Directories, devices and pipes are not files (opening a directory fails anyway without
  // FILE_FLAG_BACKUP_SEMANTICS; a device such as NUL or CON must be refused here).
  if (!GetFileInformationByHandle(file, &info) || !IsRegularFile(info.dwFileAttributes) ||
      GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > std::numeric_limits<size_t>::max() / 2) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

}  // namespace

std::optional<std::string> RealFileSystem::ReadFile(const std::string& path) {
  LARGE_INTEGER size{};
  const HANDLE file = OpenRegularFile(path, size);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  try {
    bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    CloseHandle(file);
    return std::nullopt;
  }
  // The end is found by a read into a small buffer beside the one sized from the file, so that
  // the buffer never doubles past what the file holds (a 1 GB file would need 2 GB).
  size_t got = 0;
  char probe[4096];
  while (true) {
    const bool full = got == bytes.size();
    const size_t want = bytes.size() - got;
    DWORD n = 0;
    const BOOL read =
        full ? ::ReadFile(file, probe, sizeof probe, &n, nullptr)
             : ::ReadFile(file, bytes.data() + got,
                          static_cast<DWORD>(want < (1u << 30) ? want : (1u << 30)), &n, nullptr);
    if (!read) {
      CloseHandle(file);
      return std::nullopt;
    }
    if (n == 0) break;
    // Past the measured size only when the file grows while it is read.
    if (full) bytes.append(probe, n);
    got += n;
  }
  CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

bool RealFileSystem::ReadPieces(const std::string& path,
                                const std::function<bool(std::string_view)>& consume) {
  LARGE_INTEGER size{};
  const HANDLE file = OpenRegularFile(path, size);
  if (file == INVALID_HANDLE_VALUE) return false;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPieceSize);
  bool ok = true;
  while (true) {
    DWORD n = 0;
    if (!::ReadFile(file, buffer.get(), static_cast<DWORD>(kPieceSize), &n, nullptr)) {
      ok = false;
      break;
    }
    if (n == 0 || !consume(std::string_view(buffer.get(), n))) break;
  }
  CloseHandle(file);
  return ok;
}

std::optional<uint64_t> RealFileSystem::FileSize(const std::string& path) {
  // From the folder, without opening the file: a file another program holds open is no wait.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      !IsRegularFile(data.dwFileAttributes)) {
    return std::nullopt;
  }
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool RealFileSystem::IsFile(const std::string& path) {
  return IsRegularFile(GetFileAttributesA(path.c_str()));
}

FileState RealFileSystem::StateOf(const std::string& path) {
  // Opened for no access at all, as stat() looks: neither the file's own permissions nor another
  // program holding it open stand in the way, and a link is followed to what it names. Backup
  // semantics let a folder be opened too, to be told apart.
  const HANDLE file =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return StateOfLookupError(GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  const bool regular = GetFileInformationByHandle(file, &info) &&
                       IsRegularFile(info.dwFileAttributes) && GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return regular ? FileState::kFile : FileState::kNotAFile;
}

FileState StateOfLookupError(unsigned long error) {
  // A name Windows cannot hold ("a?b.txt") names nothing either. Access denied (a folder on the
  // way that may not be searched), a sharing violation, a network or disk error say nothing of
  // whether the file is there.
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                 error == ERROR_INVALID_NAME
             ? FileState::kMissing
             : FileState::kUnreachable;
}

namespace {

// Windows refuses to delete or replace a read-only file; Wine does not always, and the user's
// protection must hold under both.
bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool RealFileSystem::Remove(const std::string& path) {
  return !IsReadOnlyFile(path) && DeleteFileA(path.c_str()) != 0;
}

std::unique_ptr<OutputFile> RealFileSystem::Create(const std::string& path) {
  // CREATE_NEW fails on anything already at the path, a link included: a temporary file is
  // never anything but the file this run made.
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(file);
}

bool RealFileSystem::Rename(const std::string& from, const std::string& to) {
  if (IsReadOnlyFile(to)) return false;
  // Unlike rename() of the C library, this replaces an existing target; write-through returns
  // only once the move is on the disk.
  return WhileBusy([&] {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  });
}

uint32_t RealFileSystem::ProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

}  // namespace gara
