#include "util/file_system.h"

#include <string>
#include <utility>

namespace gara {

bool FileSystem::ReadPieces(const std::string& path,
                            const std::function<bool(std::string_view)>& consume) {
  const auto bytes = ReadFile(path);
  if (!bytes) return false;
  consume(*bytes);
  return true;
}

std::optional<uint64_t> FileSystem::FileSize(const std::string& path) {
  uint64_t size = 0;
  const bool read = ReadPieces(path, [&size](std::string_view piece) {
    size += piece.size();
    return true;
  });
  if (!read) return std::nullopt;
  return size;
}

std::unique_ptr<OutputFile> FileSystem::CreateTemporary(const std::string& target,
                                                        std::string& temporaryPath) {
  // Anything already at a name (a leftover of a run that died, another run's file, a link or a
  // directory) only moves on to the next name.
  constexpr int kAttempts = 100;
  const std::string stem = target + "." + std::to_string(ProcessId()) + "-";
  for (int i = 0; i < kAttempts; ++i) {
    std::string candidate = stem + std::to_string(temporaryCount_++) + ".tmp";
    if (auto file = Create(candidate)) {
      temporaryPath = std::move(candidate);
      return file;
    }
  }
  return nullptr;
}

bool StagedFile::Write(const std::function<bool(OutputFile&)>& produce) {
  Discard();
  auto file = fs_.CreateTemporary(target_, temp_);
  if (!file) return false;
  const bool written = produce(*file);
  const bool closed = file->Close();
  if (written && closed) return true;
  Discard();
  return false;
}

bool StagedFile::Write(std::string_view bytes) {
  return Write([bytes](OutputFile& file) { return file.Write(bytes); });
}

bool StagedFile::Commit() {
  if (temp_.empty() || !fs_.Rename(temp_, target_)) return false;
  temp_.clear();
  return true;
}

void StagedFile::Discard() {
  if (temp_.empty()) return;
  static_cast<void>(fs_.Remove(temp_));  // best effort: a leftover never affects a run
  temp_.clear();
}

ExistingFile ReadExistingFile(FileSystem& fs, const std::string& path) {
  ExistingFile file{fs.ReadFile(path)};
  if (!file.bytes) {
    file.unreadable = UnreadableAfterFailedRead(fs, path, [&] {
      file.bytes = fs.ReadFile(path);
      return file.bytes.has_value();
    });
  }
  return file;
}

bool UnreadableAfterFailedRead(FileSystem& fs, const std::string& path,
                               const std::function<bool()>& reread) {
  switch (fs.StateOf(path)) {
    case FileState::kMissing:
      return false;
    case FileState::kFile:
      // Only a file that is there and still cannot be read is unreadable.
      return !reread();
    case FileState::kNotAFile:
    case FileState::kUnreachable:
      break;
  }
  return true;
}

bool ReplaceFile(FileSystem& fs, const std::string& path,
                 const std::function<bool(OutputFile&)>& produce, OnWriteFailure onFailure) {
  // The temporary file stands beside the target so that the rename never crosses a volume.
  StagedFile staged(fs, path);
  const bool ok = staged.Write(produce) && staged.Commit();
  if (!ok) staged.Discard();
  // Best effort: the caller hears of the failure whether or not this goes.
  if (!ok && onFailure == OnWriteFailure::kRemoveOld) static_cast<void>(fs.Remove(path));
  return ok;
}

bool ReplaceFile(FileSystem& fs, const std::string& path, std::string_view bytes,
                 OnWriteFailure onFailure) {
  return ReplaceFile(
      fs, path, [bytes](OutputFile& file) { return file.Write(bytes); }, onFailure);
}

}  // namespace gara
