#include "util/file_system.h"

#include <utility>

namespace gara {

bool FileSystem::ReadPieces(const std::string& path,
                            const std::function<bool(std::string_view)>& consume) {
  const auto bytes = ReadFile(path);
  if (!bytes) return false;
  consume(*bytes);
  return true;
}

namespace {

// Removes the temporary file when the write ends by an exception (memory ran out while
// producing): only a finished replacement keeps it, by renaming it away.
class TemporaryFile {
 public:
  TemporaryFile(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!kept_) static_cast<void>(fs_.Remove(path_));  // best effort
  }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  FileSystem& fs_;
  std::string path_;
  bool kept_ = false;
};

}  // namespace

bool ReplaceFile(FileSystem& fs, const std::string& path,
                 const std::function<bool(OutputFile&)>& produce, OnWriteFailure onFailure) {
  // The temporary file stands beside the target so that the rename never crosses a volume.
  TemporaryFile temp(fs, path + ".tmp");
  bool ok = false;
  if (auto file = fs.Create(temp.path())) {
    const bool written = produce(*file);
    const bool closed = file->Close();
    ok = written && closed && fs.Rename(temp.path(), path);
    if (ok) temp.Keep();
  }
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
