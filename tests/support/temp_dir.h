// A fresh folder under the system's temporary directory, removed with everything in it at the
// end of the test.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace gara::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gara-XXXXXX").string();
    path_ = std::filesystem::path(MakeTemp(pattern));
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing separator, as the program addresses its own directory.
  std::string dir() const { return (path_ / "").string(); }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::optional<std::string> Read(std::string_view name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(std::string_view name) const { return std::filesystem::exists(path_ / name); }

 private:
  static std::string MakeTemp(std::string pattern);
  std::filesystem::path path_;
};

}  // namespace gara::testing
