#include "util/file_system.h"

namespace gara {

bool FileSystem::ReadPieces(const std::string& path,
                            const std::function<bool(std::string_view)>& consume) {
  const auto bytes = ReadFile(path);
  if (!bytes) return false;
  consume(*bytes);
  return true;
}

bool ReplaceFile(FileSystem& fs, const std::string& path,
                 const std::function<bool(OutputFile&)>& produce, OnWriteFailure onFailure) {
  // The temporary file stands beside the target so that the rename never crosses a volume.
  const std::string temp = path + ".tmp";
  bool ok = false;
  if (auto file = fs.Create(temp)) {
    const bool written = produce(*file);
    const bool closed = file->Close();
    ok = written && closed && fs.Rename(temp, path);
  }
  if (!ok) {
    // Best effort: the caller hears of the failure whether or not these go.
    static_cast<void>(fs.Remove(temp));
    if (onFailure == OnWriteFailure::kRemoveOld) static_cast<void>(fs.Remove(path));
  }
  return ok;
}

bool ReplaceFile(FileSystem& fs, const std::string& path, std::string_view bytes,
                 OnWriteFailure onFailure) {
  return ReplaceFile(
      fs, path, [bytes](OutputFile& file) { return file.Write(bytes); }, onFailure);
}

}  // namespace gara
