// The program's only door to files. The core sees this interface; the platform layer supplies
// the real one, and tests supply one that makes any step of a write fail.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gara {

// One file being written.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  [[nodiscard]] virtual bool Write(std::string_view bytes) = 0;
  // Flushes to the disk itself (not only to the system's cache) and closes; false when any
  // byte may not have reached the disk.
  [[nodiscard]] virtual bool Close() = 0;
};

// What is at a path, as far as the system lets the program look. Only kMissing means there is
// nothing: a file behind a folder that may not be searched is kUnreachable, never missing.
enum class FileState {
  kFile,         // a regular file
  kMissing,      // nothing at the path (the file, or a folder on its way, does not exist)
  kNotAFile,     // something else: a folder, a device, a pipe
  kUnreachable,  // the path cannot be looked at (no permission on the way, a link loop, ...)
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The whole file; nullopt when it is missing, not a regular file, or cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  // The file's bytes in pieces, in order, handed to `consume` until the end or until `consume`
  // returns false (an early stop, not a failure), so that a large file never has to be held
  // whole. False when the file is missing, not a regular file, or cannot be read; pieces
  // handed over before a read error stay consumed. The default reads the whole file at once.
  virtual bool ReadPieces(const std::string& path,
                          const std::function<bool(std::string_view)>& consume);
  // The size of the regular file at `path` in bytes, looked up without reading it; nullopt when
  // there is none or it cannot be looked at. The default counts the pieces ReadPieces hands over.
  virtual std::optional<uint64_t> FileSize(const std::string& path);
  virtual bool IsFile(const std::string& path) = 0;
  // What is at `path`, a link followed. The default knows files and nothing else.
  virtual FileState StateOf(const std::string& path) {
    return IsFile(path) ? FileState::kFile : FileState::kMissing;
  }
  [[nodiscard]] virtual bool Remove(const std::string& path) = 0;
  // Creates a new file; nullptr when anything (a file, a directory, a link, even a dangling
  // one) is already at `path` or the file cannot be created. Never follows a link.
  virtual std::unique_ptr<OutputFile> Create(const std::string& path) = 0;
  // Moves `from` over `to`, replacing it, and makes the change durable as far as the system
  // allows (the folder is flushed to the disk). Refuses a `to` that is read-only.
  [[nodiscard]] virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Distinguishes the temporary files of runs sharing one folder.
  virtual uint32_t ProcessId() { return 0; }

  // Creates a new file beside `target` under a name no other file has (process id and a
  // counter); `temporaryPath` receives it. nullptr when no such file can be created.
  std::unique_ptr<OutputFile> CreateTemporary(const std::string& target,
                                              std::string& temporaryPath);

 private:
  uint32_t temporaryCount_ = 0;
};

// A file written completely under a temporary name beside its target, then put in place by
// Commit. Several staged files make one change of several files: all are written before any
// is committed. The temporary file is removed unless committed.
class StagedFile {
 public:
  StagedFile(FileSystem& fs, std::string target) : fs_(fs), target_(std::move(target)) {}
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile() { Discard(); }

  // Creates the temporary file, lets `produce` write it and closes it; false on any failure
  // (the temporary file is then gone).
  [[nodiscard]] bool Write(const std::function<bool(OutputFile&)>& produce);
  [[nodiscard]] bool Write(std::string_view bytes);
  // Renames the written temporary file over the target.
  [[nodiscard]] bool Commit();
  void Discard();
  // The written file before Commit, to read it back.
  const std::string& temporaryPath() const { return temp_; }

 private:
  FileSystem& fs_;
  std::string target_;
  std::string temp_;  // empty when there is no temporary file
};

// A file the program may find or not: a missing one is no fault (a first run has none), but
// anything else that is not a readable file (no permission on the file or on a folder on its way,
// a read error, a folder or a pipe in its place) must not be taken for missing and then written
// over.
struct ExistingFile {
  std::optional<std::string> bytes;  // none when missing or unreadable
  bool unreadable = false;
};
ExistingFile ReadExistingFile(FileSystem& fs, const std::string& path);
// After a read of `path` failed: whether the file is there and cannot be read (true) or missing
// (false). A file that is there now is read once more by `reread` (another run may have put it
// in place just now), which returns whether that read succeeded.
bool UnreadableAfterFailedRead(FileSystem& fs, const std::string& path,
                               const std::function<bool()>& reread);

enum class OnWriteFailure {
  kKeepOld,    // the previous file stays as it was (the settings file)
  kRemoveOld,  // no file remains at the path (the exchange and figure files)
};

// Writes `path` through a temporary file beside it that is renamed over the old file once
// `produce` has written everything. No temporary file survives, success or not; the old file
// is removed (kRemoveOld) only after the new one failed.
[[nodiscard]] bool ReplaceFile(FileSystem& fs, const std::string& path,
                               const std::function<bool(OutputFile&)>& produce,
                               OnWriteFailure onFailure);
[[nodiscard]] bool ReplaceFile(FileSystem& fs, const std::string& path, std::string_view bytes,
                               OnWriteFailure onFailure);

}  // namespace gara
