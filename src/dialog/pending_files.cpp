#include "dialog/pending_files.h"

namespace gara {

std::optional<std::string> PendingFileSystem::ReadFile(const std::string& path) {
  if (const auto it = pending_.find(path); it != pending_.end()) return it->second;
  return disk_.ReadFile(path);
}

bool PendingFileSystem::ReadPieces(const std::string& path,
                                   const std::function<bool(std::string_view)>& consume) {
  if (const auto it = pending_.find(path); it != pending_.end()) {
    consume(it->second);
    return true;
  }
  return disk_.ReadPieces(path, consume);
}

std::optional<uint64_t> PendingFileSystem::FileSize(const std::string& path) {
  if (const auto it = pending_.find(path); it != pending_.end()) return it->second.size();
  return disk_.FileSize(path);
}

bool PendingFileSystem::IsFile(const std::string& path) {
  return pending_.contains(path) || disk_.IsFile(path);
}

FileState PendingFileSystem::StateOf(const std::string& path) {
  return pending_.contains(path) ? FileState::kFile : disk_.StateOf(path);
}

}  // namespace gara
