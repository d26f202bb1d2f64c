// The operating system's files as the core sees them: bytes in and out unchanged, only regular
// files count as files, and a rename replaces its target (the settings and exchange files are
// always written beside the old one and moved over it).
#include "platform/real_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::TempDir;

// Every byte value, with the ones a text-mode stream would change (CR, LF, Ctrl-Z, NUL).
std::string AllBytes() {
  std::string bytes = "a\r\nb\nc\r\x1a";
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  return bytes;
}

bool WriteWhole(RealFileSystem& fs, const std::string& path, std::string_view bytes) {
  auto file = fs.Create(path);
  return file && file->Write(bytes) && file->Close();
}

TEST(RealFileSystem, ReadsBytesUnchanged) {
  TempDir dir;
  dir.Write("f.txt", AllBytes());
  RealFileSystem fs;
  EXPECT_EQ(fs.ReadFile(dir.File("f.txt")), AllBytes());
}

TEST(RealFileSystem, EmptyFileIsEmptyNotMissing) {
  TempDir dir;
  dir.Write("empty.txt", "");
  RealFileSystem fs;
  const auto bytes = fs.ReadFile(dir.File("empty.txt"));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(bytes->empty());
}

TEST(RealFileSystem, MissingFileAndDirectoryAreNotReadable) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub");
  RealFileSystem fs;
  EXPECT_FALSE(fs.ReadFile(dir.File("missing.txt")).has_value());
  EXPECT_FALSE(fs.ReadFile(dir.File("sub")).has_value());
  EXPECT_FALSE(fs.ReadFile(dir.dir()).has_value());
}

// The size of a regular file only, as the bytes a read gives: of none for anything else.
TEST(RealFileSystem, FileSizeOfRegularFilesOnly) {
  TempDir dir;
  dir.Write("f.txt", AllBytes());
  dir.Write("empty.txt", "");
  std::filesystem::create_directory(dir.path() / "sub");
  RealFileSystem fs;
  EXPECT_EQ(fs.FileSize(dir.File("f.txt")), fs.ReadFile(dir.File("f.txt"))->size());
  EXPECT_EQ(fs.FileSize(dir.File("empty.txt")), 0u);
  EXPECT_FALSE(fs.FileSize(dir.File("missing.txt")).has_value());
  EXPECT_FALSE(fs.FileSize(dir.File("sub")).has_value());
}

#ifndef _WIN32
// A FIFO in place of an input is missing, and reading it does not wait for a writer.
TEST(RealFileSystem, FifoIsNotAFileAndNeverBlocks) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("JWC_TEMP.TXT").c_str(), 0600), 0);
  RealFileSystem fs;
  EXPECT_FALSE(fs.IsFile(dir.File("JWC_TEMP.TXT")));
  EXPECT_FALSE(fs.ReadFile(dir.File("JWC_TEMP.TXT")).has_value());
  EXPECT_FALSE(fs.ReadPieces(dir.File("JWC_TEMP.TXT"), [](std::string_view) { return true; }));
}
#endif

TEST(RealFileSystem, IsFileOnlyForRegularFiles) {
  TempDir dir;
  dir.Write("f.txt", "x");
  std::filesystem::create_directory(dir.path() / "sub");
  RealFileSystem fs;
  EXPECT_TRUE(fs.IsFile(dir.File("f.txt")));
  EXPECT_FALSE(fs.IsFile(dir.File("sub")));
  EXPECT_FALSE(fs.IsFile(dir.File("missing.txt")));
  EXPECT_FALSE(fs.IsFile(""));
}

// Only a path to nothing is missing: whatever else is there, or cannot be looked at, is not.
TEST(RealFileSystem, StateTellsMissingFromAnythingElse) {
  TempDir dir;
  dir.Write("f.txt", "x");
  std::filesystem::create_directory(dir.path() / "sub");
  const struct {
    std::string path;
    FileState state;
  } cases[] = {
      {dir.File("f.txt"), FileState::kFile},
      {dir.File("sub"), FileState::kNotAFile},
      {dir.File("missing.txt"), FileState::kMissing},
      {dir.File("missing") + "/f.txt", FileState::kMissing},
      {dir.File("f.txt") + "/f.txt", FileState::kMissing},  // a file where a folder should be
      {"", FileState::kMissing},
  };
  RealFileSystem fs;
  for (const auto& c : cases) EXPECT_EQ(fs.StateOf(c.path), c.state) << c.path;
#ifndef _WIN32
  std::filesystem::create_symlink("f.txt", dir.path() / "link");
  std::filesystem::create_symlink("nowhere", dir.path() / "dangling");
  std::filesystem::create_symlink("loop", dir.path() / "loop");
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(fs.StateOf(dir.File("link")), FileState::kFile);
  EXPECT_EQ(fs.StateOf(dir.File("dangling")), FileState::kMissing);
  EXPECT_EQ(fs.StateOf(dir.File("loop")), FileState::kUnreachable);
  EXPECT_EQ(fs.StateOf(dir.File("fifo")), FileState::kNotAFile);
#endif
}

// The failures of a look at a path that say nothing is there, and the others.
TEST(RealFileSystem, OnlyNoSuchFileOrFolderIsMissing) {
#ifdef _WIN32
  const unsigned long missing[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME};
  const unsigned long unreachable[] = {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
                                       ERROR_BAD_NETPATH, ERROR_NOT_READY,
                                       ERROR_CANT_RESOLVE_FILENAME};
#else
  const unsigned long missing[] = {ENOENT, ENOTDIR};
  const unsigned long unreachable[] = {EACCES, ELOOP, EIO, ENAMETOOLONG, EOVERFLOW, ENOMEM};
#endif
  for (const unsigned long error : missing) {
    EXPECT_EQ(StateOfLookupError(error), FileState::kMissing) << error;
  }
  for (const unsigned long error : unreachable) {
    EXPECT_EQ(StateOfLookupError(error), FileState::kUnreachable) << error;
  }
}

#ifndef _WIN32
// A file inside a folder that may not be searched cannot be looked at, and is not missing. Root
// searches any folder, so as root the look is taken as another user.
TEST(RealFileSystem, FileBehindAFolderThatMayNotBeSearchedIsUnreachable) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "closed");
  dir.Write("closed/garanarabe.dat", "patterns");
  ASSERT_EQ(::chmod(dir.File("closed").c_str(), 0), 0);
  const auto look = [&] {
    RealFileSystem fs;
    const FileState state = fs.StateOf(dir.File("closed/garanarabe.dat"));
    const bool read = fs.ReadFile(dir.File("closed/garanarabe.dat")).has_value();
    return state == FileState::kUnreachable && !read;
  };
  bool unreachable = false;
  if (::geteuid() != 0) {
    unreachable = look();
  } else {
    // Root searches any folder: the look is taken by a child that has become nobody.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
      ::_exit(look() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << "could not become nobody";
    unreachable = WEXITSTATUS(status) == 0;
  }
  ::chmod(dir.File("closed").c_str(), 0700);
  EXPECT_TRUE(unreachable);
}
#endif

TEST(RealFileSystem, CreateWritesBytesUnchanged) {
  TempDir dir;
  RealFileSystem fs;
  ASSERT_TRUE(WriteWhole(fs, dir.File("out.txt"), AllBytes()));
  EXPECT_EQ(dir.Read("out.txt"), AllBytes());
}

// A temporary name already taken, by whatever, is never written through or truncated.
TEST(RealFileSystem, CreateRefusesAnythingAlreadyThere) {
  TempDir dir;
  dir.Write("old.txt", "old");
  std::filesystem::create_directory(dir.path() / "sub");
  RealFileSystem fs;
  EXPECT_EQ(fs.Create(dir.File("old.txt")), nullptr);
  EXPECT_EQ(fs.Create(dir.File("sub")), nullptr);
  EXPECT_EQ(dir.Read("old.txt"), "old");
#ifndef _WIN32
  std::filesystem::create_symlink(dir.path() / "old.txt", dir.path() / "link.tmp");
  std::filesystem::create_symlink(dir.path() / "nowhere", dir.path() / "dangling.tmp");
  EXPECT_EQ(fs.Create(dir.File("link.tmp")), nullptr);
  EXPECT_EQ(fs.Create(dir.File("dangling.tmp")), nullptr);
  EXPECT_EQ(dir.Read("old.txt"), "old");
  EXPECT_FALSE(dir.Exists("nowhere"));
#endif
}

// The user's write protection holds the same on both systems: the file is not replaced.
TEST(RealFileSystem, RenameRefusesReadOnlyTarget) {
  TempDir dir;
  dir.Write("new.tmp", "new");
  dir.Write("settings.dat", "old");
  const auto target = dir.path() / "settings.dat";
  std::filesystem::permissions(target,
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  RealFileSystem fs;
  EXPECT_FALSE(fs.Rename(dir.File("new.tmp"), dir.File("settings.dat")));
  EXPECT_EQ(dir.Read("settings.dat"), "old");
  std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

TEST(RealFileSystem, TemporaryNamesAreDistinct) {
  TempDir dir;
  RealFileSystem fs;
  std::string first, second;
  auto a = fs.CreateTemporary(dir.File("sel.txt"), first);
  auto b = fs.CreateTemporary(dir.File("sel.txt"), second);
  ASSERT_TRUE(a && b);
  EXPECT_NE(first, second);
  EXPECT_NE(first.find(std::to_string(fs.ProcessId())), std::string::npos);
  EXPECT_TRUE(a->Close() && b->Close());
}

TEST(RealFileSystem, WritesInPiecesAppend) {
  TempDir dir;
  RealFileSystem fs;
  auto file = fs.Create(dir.File("out.txt"));
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("hq\r\n"));
  EXPECT_TRUE(file->Write(""));
  EXPECT_TRUE(file->Write("lg0\r\n"));
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->Close());  // closing twice reports the misuse
  EXPECT_EQ(dir.Read("out.txt"), "hq\r\nlg0\r\n");
}

// A file larger than the pieces whose write-back starts early is whole when read back, each
// piece where it was written.
TEST(RealFileSystem, LargeFileInPiecesReadsBackWhole) {
  TempDir dir;
  RealFileSystem fs;
  auto file = fs.Create(dir.File("big.txt"));
  ASSERT_TRUE(file);
  std::string expected;
  for (int i = 0; i < 25; ++i) {
    const std::string piece(1 << 20 | i * 977, static_cast<char>('a' + i));
    ASSERT_TRUE(file->Write(piece));
    expected += piece;
  }
  ASSERT_TRUE(file->Close());
  EXPECT_TRUE(dir.Read("big.txt") == expected);
}

TEST(RealFileSystem, CreateFailsWhereNoFileCanBe) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub");
  RealFileSystem fs;
  EXPECT_EQ(fs.Create(dir.File("missing-folder/out.txt")), nullptr);
  EXPECT_EQ(fs.Create(dir.File("sub")), nullptr);
}

TEST(RealFileSystem, RenameReplacesExistingTarget) {
  TempDir dir;
  dir.Write("new.tmp", "new");
  dir.Write("settings.dat", "old");
  RealFileSystem fs;
  ASSERT_TRUE(fs.Rename(dir.File("new.tmp"), dir.File("settings.dat")));
  EXPECT_EQ(dir.Read("settings.dat"), "new");
  EXPECT_FALSE(dir.Exists("new.tmp"));
}

TEST(RealFileSystem, RenameOfMissingSourceKeepsTarget) {
  TempDir dir;
  dir.Write("settings.dat", "old");
  RealFileSystem fs;
  EXPECT_FALSE(fs.Rename(dir.File("missing.tmp"), dir.File("settings.dat")));
  EXPECT_EQ(dir.Read("settings.dat"), "old");
}

TEST(RealFileSystem, RemoveReportsWhetherAFileWentAway) {
  TempDir dir;
  dir.Write("jws.txt", "x");
  RealFileSystem fs;
  EXPECT_TRUE(fs.Remove(dir.File("jws.txt")));
  EXPECT_FALSE(dir.Exists("jws.txt"));
  EXPECT_FALSE(fs.Remove(dir.File("jws.txt")));
}

// Shift-JIS names, including 表 and ソ whose second byte is a backslash, and a blank.
TEST(RealFileSystem, ShiftJisNamesWork) {
  TempDir dir;
  RealFileSystem fs;
  const std::string name = dir.dir() + "表 ソ図形.jws";
  const std::string moved = dir.dir() + "柄並べ９.dat";
  ASSERT_TRUE(WriteWhole(fs, name, "figure"));
  EXPECT_TRUE(fs.IsFile(name));
  EXPECT_EQ(fs.ReadFile(name), "figure");
  ASSERT_TRUE(fs.Rename(name, moved));
  EXPECT_FALSE(fs.IsFile(name));
  EXPECT_EQ(fs.ReadFile(moved), "figure");
  EXPECT_TRUE(fs.Remove(moved));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace gara
