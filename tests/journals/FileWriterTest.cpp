// The one door of files written: a regular file replaced whole or not at all, anything else
// written into, every failure one message.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "journals/FileWrite.h"
#include "journals/FileWriter.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in the folder of `path`.
std::vector<std::string> Folder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A scratch file alone in its folder, whatever earlier runs left there.
std::string Alone(const std::string& name, const std::string& bytes) {
  const std::string path = test::WriteScratchFile(name, bytes);
  for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
    if (entry.path().filename() != name) fs::remove_all(entry.path());
  }
  return path;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode;
}

TEST(FileWriter, ARegularFileIsReplacedOnlyWhenWholeAndAFailureOrAKillLeavesNothing) {
  const std::string path = Alone("saved.tsv", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  {
    FileWriter file(path);
    file.Write("new ");
    file.Write("rows");
    // Until the end the old file stands, alone in its folder.
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(Folder(path), std::vector<std::string>{"saved.tsv"});
    file.Commit();
  }
  EXPECT_EQ(Read(path), "new rows");
  EXPECT_EQ(Mode(path) & 07777, 0640u);
  EXPECT_EQ(Folder(path), std::vector<std::string>{"saved.tsv"});

  // A writer given up, or one whose producer fails, leaves the file as it was.
  { FileWriter(path).Write("lost"); }
  EXPECT_THROW(WriteFileReplacing(path, [](const auto& write) {
                 write("half");
                 throw AppError("the rows failed");
               }),
               AppError);
  EXPECT_EQ(Read(path), "new rows");
  EXPECT_EQ(Folder(path), std::vector<std::string>{"saved.tsv"});

  // Killed half way: nothing stays beside the file.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileWriter file(path);
    file.Write(std::string(1 << 20, 'k'));
    ::raise(SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(Read(path), "new rows");
  EXPECT_EQ(Folder(path), std::vector<std::string>{"saved.tsv"});

  // A new file gets the permissions a new file gets.
  const std::string fresh = test::MissingScratchPath("fresh.tsv");
  WriteFileReplacing(fresh, [](const auto& write) { write("x"); });
  EXPECT_EQ(Read(fresh), "x");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(Mode(fresh) & 07777, 0666u & ~mask);
}

TEST(FileWriter, TheNamedStandInReplacesTheFileAsWellAndGoesOnFailure) {
  // Where the file system makes no file without a name: a hidden file beside the target.
  const std::string path = Alone("stand-in.tsv", "old");
  {
    FileWriter file(path, FileWriter::Temporary::Named);
    file.Write("new");
    const std::vector<std::string> during = Folder(path);
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0].rfind(".stand-in.tsv.", 0), 0u);
    std::FILE* byName = std::fopen(file.SeekableName().c_str(), "ab");
    std::fputs(" rows", byName);
    std::fclose(byName);
    file.Commit();
  }
  EXPECT_EQ(Read(path), "new rows");
  EXPECT_EQ(Folder(path), std::vector<std::string>{"stand-in.tsv"});
  { FileWriter(path, FileWriter::Temporary::Named).Write("lost"); }
  EXPECT_EQ(Read(path), "new rows");
  EXPECT_EQ(Folder(path), std::vector<std::string>{"stand-in.tsv"});
}

TEST(FileWriter, ALinkKeepsItsPlaceAndTheFileItNamesIsReplaced) {
  const std::string target = test::WriteScratchFile("named.csv", "old");
  const std::string link = fs::path(target).parent_path() / "link.csv";
  const std::string dangling = fs::path(target).parent_path() / "dangling.csv";
  fs::remove(link);
  fs::remove(dangling);
  fs::create_symlink("named.csv", link);
  fs::create_symlink("made.csv", dangling);
  WriteFileReplacing(link, [](const auto& write) { write("new"); });
  EXPECT_TRUE(S_ISLNK(Mode(link)));
  EXPECT_EQ(Read(target), "new");
  // A link that names no file yet makes that file.
  WriteFileReplacing(dangling, [](const auto& write) { write("made"); });
  EXPECT_TRUE(S_ISLNK(Mode(dangling)));
  EXPECT_EQ(Read(fs::path(target).parent_path() / "made.csv"), "made");
}

TEST(FileWriter, WhatIsNoRegularFileIsWrittenIntoAndStaysWhatItWas) {
  const std::string dir = fs::path(test::WriteScratchFile("x", "")).parent_path();
  // A FIFO: its reader gets every byte, and the FIFO stays.
  const std::string fifo = dir + "/rows.fifo";
  fs::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string got;
  std::thread reader([&] { got = Read(fifo); });
  const std::string rows(300000, 'r');
  WriteFileReplacing(fifo, [&](const auto& write) { write(rows); });
  reader.join();
  EXPECT_EQ(got, rows);
  EXPECT_TRUE(S_ISFIFO(Mode(fifo)));

  // A link to one end of a pipe, as /dev/stdout is: the pipe gets the bytes.
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const std::string stdoutLike = dir + "/stdout";
  fs::remove(stdoutLike);
  fs::create_symlink("/proc/self/fd/" + std::to_string(pipeFds[1]), stdoutLike);
  WriteFileReplacing(stdoutLike, [](const auto& write) { write("piped"); });
  ::close(pipeFds[1]);
  char buffer[16] = {};
  EXPECT_EQ(::read(pipeFds[0], buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer), "piped");
  ::close(pipeFds[0]);
  EXPECT_TRUE(S_ISLNK(Mode(stdoutLike)));

  // A device node of our own, made as /dev/null is.
  const std::string node = dir + "/null";
  fs::remove(node);
  if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "mknod needs root: the device node case is left out";
  }
  WriteFileReplacing(node, [](const auto& write) { write("gone"); });
  EXPECT_TRUE(S_ISCHR(Mode(node)));
  FileWriter seeking(node);
  std::FILE* byName = std::fopen(seeking.SeekableName().c_str(), "wb");
  ASSERT_NE(byName, nullptr);
  std::fputs("library", byName);
  std::fclose(byName);
  seeking.Commit();
  EXPECT_TRUE(S_ISCHR(Mode(node)));
}

TEST(FileWriter, EveryWriteErrorIsOneMessageNamingTheFileAndTheOldFileStays) {
  // A device that is always full.
  const std::string full = "/dev/full";
  if (::access(full.c_str(), W_OK) == 0) {
    FileWriter file(full);
    const std::string first = test::ErrorOf([&] { file.Write("rows"); });
    EXPECT_EQ(first, test::W("Не удалось сохранить файл \"/dev/full\": ") + std::strerror(ENOSPC));
    EXPECT_EQ(test::ErrorOf([&] { file.Write("more"); }), first);
    EXPECT_EQ(test::ErrorOf([&] { file.Commit(); }), first);
  }

  // A file past the process's file size limit: an error, not a signal that ends the program.
  const std::string path = Alone("limited.tsv", "old");
  rlimit before {};
  ::getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error = test::ErrorOf([&] {
    WriteFileReplacing(path, [](const auto& write) { write(std::string(10000, 'x')); });
  });
  ::setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(error, test::W("Не удалось сохранить файл \"") + path + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(Folder(path), std::vector<std::string>{"limited.tsv"});
  sigset_t pending {};
  ::sigpending(&pending);
  EXPECT_NE(::sigismember(&pending, SIGXFSZ), 1);

  // No folder, a folder at the path: refused at once, named as the path is shown.
  const std::string folder = fs::path(path).parent_path();
  EXPECT_EQ(test::ErrorOf([&] { FileWriter file(folder); }),
            test::W("Не удалось сохранить файл \"") + folder + "\": " + std::strerror(EISDIR));
  EXPECT_EQ(test::ErrorOf([&] { FileWriter file(folder + "/none/\xC6.tsv"); }),
            test::W("Не удалось сохранить файл \"") + folder + "/none/\\xc6.tsv\": " + std::strerror(ENOENT));
}

TEST(FileWriter, ALibraryThatWritesByNameAndSeeksWritesTheWholeFile) {
  const std::string path = Alone("book.xlsx", "old");
  FileWriter file(path);
  std::FILE* byName = std::fopen(file.SeekableName().c_str(), "wb");
  ASSERT_NE(byName, nullptr);
  std::fputs("0123456789", byName);
  std::fseek(byName, 2, SEEK_SET);
  std::fputs("ab", byName);
  std::fclose(byName);
  EXPECT_EQ(Read(path), "old");
  file.Commit();
  EXPECT_EQ(Read(path), "01ab456789");
  EXPECT_EQ(Folder(path), std::vector<std::string>{"book.xlsx"});
}

}  // namespace
}  // namespace vantorel
