#include "support/fault_file_system.h"

namespace gara::testing {

namespace {

class FaultOutputFile final : public OutputFile {
 public:
  FaultOutputFile(std::unique_ptr<OutputFile> real, FaultFileSystem& fs)
      : real_(std::move(real)), fs_(fs), writesLeft_(fs.writesBeforeFailure) {}
  bool Write(std::string_view bytes) override {
    if (fs_.fault == FaultFileSystem::Fault::kWrite && writesLeft_-- <= 0) {
      // Half of the bytes reach the file, as when a disk fills up.
      static_cast<void>(real_->Write(bytes.substr(0, bytes.size() / 2)));
      return false;
    }
    return real_->Write(bytes);
  }
  bool Close() override {
    const bool ok = real_->Close();
    return !fs_.Fails(FaultFileSystem::Fault::kClose) && ok;
  }

 private:
  std::unique_ptr<OutputFile> real_;
  FaultFileSystem& fs_;
  int writesLeft_;
};

}  // namespace

std::unique_ptr<OutputFile> FaultFileSystem::Create(const std::string& path) {
  if (Fails(Fault::kCreate)) return nullptr;
  auto file = real_.Create(path);
  if (!file) return nullptr;
  return std::make_unique<FaultOutputFile>(std::move(file), *this);
}

}  // namespace gara::testing
