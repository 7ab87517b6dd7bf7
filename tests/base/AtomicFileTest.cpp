// Writes replace only what is theirs: links are followed, what is not a regular file is left
// alone; reads refuse what is not a regular file or too large. FIFOs, sockets, folders and
// links in a temporary folder stand in for devices.
#include "base/AtomicFile.h"
#include "base/IniFile.h"
#include "tests/support/FullDisk.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace orv;
using orv::test::ReadText;
using orv::test::RunOnFullDisk;
using orv::test::TempDir;
using orv::test::TFullDiskRun;
using orv::test::WriteText;
namespace fs = std::filesystem;

namespace {

// A bound Unix socket at path, kept while the object lives.
class TSocketFile {
public:
    explicit TSocketFile(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~TSocketFile() { ::close(fd_); }
    bool Bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

// The ways of writing a file, each on path.
std::vector<std::pair<std::string, std::function<bool(const std::string&)>>> Writers() {
    return {
        {"durable", [](const std::string& p) { return WriteFileAtomic(p, "new\n"); }},
        {"volatile",
         [](const std::string& p) { return WriteFileAtomic(p, "new\n", TFileSync::Volatile); }},
        {"frequent", [](const std::string& p) { return TFrequentFileWriter(p).Write("new\n"); }},
        {"locked update", [](const std::string& p) {
             return UpdateFileLocked(p, [](const std::string& old) { return old + "new\n"; });
         }}};
}

} // namespace

TEST(AtomicWrite, ALinkIsFollowedAndStaysALink) {
    for (const auto& [name, write] : Writers()) {
        TempDir dir;
        fs::create_directory(dir / "real");
        WriteText(dir / "real/file", "");
        fs::create_symlink("real/file", dir / "relative");     // relative to the link's folder
        fs::create_symlink(dir / "relative", dir / "chained"); // a link to a link
        ASSERT_TRUE(write(dir / "chained")) << name;
        EXPECT_TRUE(fs::is_symlink(dir / "chained")) << name;
        EXPECT_TRUE(fs::is_symlink(dir / "relative")) << name;
        EXPECT_EQ(ReadText(dir / "real/file"), "new\n") << name;
        // The temporary file lived in the target's folder and is gone.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 1) << name;

        // A link to a file not yet there creates that file.
        fs::create_symlink("real/later", dir / "dangling");
        ASSERT_TRUE(write(dir / "dangling")) << name;
        EXPECT_TRUE(fs::is_symlink(dir / "dangling")) << name;
        EXPECT_EQ(ReadText(dir / "real/later"), "new\n") << name;
    }
}

TEST(AtomicWrite, WhatIsNoRegularFileIsRefusedAndLeftAlone) {
    for (const auto& [name, write] : Writers()) {
        TempDir dir;
        ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
        fs::create_directory(dir / "folder");
        TSocketFile socket(dir / "socket");
        ASSERT_TRUE(socket.Bound());
        fs::create_symlink("fifo", dir / "link-to-fifo");
        fs::create_symlink("loop", dir / "loop");
        for (const char* target : {"fifo", "folder", "socket", "link-to-fifo", "loop"}) {
            EXPECT_FALSE(write(dir / target)) << name << " " << target;
        }
        EXPECT_TRUE(fs::is_fifo(dir / "fifo")) << name;
        EXPECT_TRUE(fs::is_directory(dir / "folder")) << name;
        EXPECT_TRUE(fs::is_empty(dir / "folder")) << name;
        EXPECT_TRUE(fs::is_socket(dir / "socket")) << name;
        EXPECT_TRUE(fs::is_symlink(dir / "link-to-fifo")) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 5) << name;
    }
}

TEST(AtomicWrite, SettingsFileBehindALinkKeepsTheLink) {
    // Dot-files kept in a repository and linked into place.
    TempDir dir;
    WriteText(dir / "dotfiles/Orvanta3.ini", "[Common]\nQuitMsg=bye\n");
    fs::create_directory(dir / "Documents");
    fs::create_symlink(dir / "dotfiles/Orvanta3.ini", dir / "Documents/Orvanta3.ini");
    ASSERT_TRUE(TIniFile(dir / "Documents/Orvanta3.ini").WriteBool("textport.so", "Active", true));
    EXPECT_TRUE(fs::is_symlink(dir / "Documents/Orvanta3.ini"));
    EXPECT_EQ(ReadText(dir / "dotfiles/Orvanta3.ini"),
              "[Common]\nQuitMsg=bye\n[textport.so]\nActive=1\n");
}

TEST(FrequentFileWriter, EveryWriteIsWholeWithoutAFileMadePerWrite) {
    TempDir dir;
    const std::string path = dir / "state";
    std::set<ino_t> inodes;
    const auto inode = [&] {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_ino;
    };
    {
        TFrequentFileWriter writer(path);
        ASSERT_TRUE(writer.Write("first version\n")) << "the file is not there yet";
        EXPECT_EQ(ReadText(path), "first version\n");
        std::ifstream early(path); // opened before the next write
        ASSERT_TRUE(writer.Write("a second, longer version\n"));
        EXPECT_EQ(ReadText(path), "a second, longer version\n");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(early), {}), "first version\n");
        ASSERT_TRUE(writer.Write("3\n"));
        EXPECT_EQ(ReadText(path), "3\n") << "a shorter version leaves nothing behind";

        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(writer.Write("version " + std::to_string(i) + "\n"));
            inodes.insert(inode());
        }
        EXPECT_EQ(inodes.size(), 2u) << "two files trade places";
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);

        // Someone removes the spare, or puts a file of their own in the place of the target.
        fs::remove(dir / ".state.spare");
        ASSERT_TRUE(writer.Write("after the spare went\n"));
        EXPECT_EQ(ReadText(path), "after the spare went\n");
        WriteText(path, "someone else's\n");
        ASSERT_TRUE(writer.Write("mine again\n"));
        ASSERT_TRUE(writer.Write("and again\n"));
        EXPECT_EQ(ReadText(path), "and again\n");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1) << "the spare is gone";
    EXPECT_EQ(ReadText(path), "and again\n");
}

TEST(WholeFileRead, RefusesWhatIsNoRegularFileWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0); // no writer: a blocking read never ends
    fs::create_directory(dir / "folder");
    std::string error;
    EXPECT_FALSE(ReadWholeFile(dir / "fifo"));
    EXPECT_FALSE(ReadRegularFile(dir / "fifo", 100, error));
    EXPECT_EQ(error, "it is a FIFO, not a regular file");
    EXPECT_FALSE(ReadRegularFile(dir / "folder", 100, error));
    EXPECT_EQ(error, "it is a folder, not a regular file");
    EXPECT_FALSE(ReadRegularFile(dir / "missing", 100, error));
    EXPECT_EQ(error, "it does not exist");
    EXPECT_TRUE(TIniFile(dir / "fifo").Sections().empty());
}

TEST(WholeFileRead, RefusesFilesOverTheLimit) {
    TempDir dir;
    WriteText(dir / "file", std::string(4096, 'x'));
    std::string error;
    EXPECT_EQ(ReadRegularFile(dir / "file", 4096, error)->size(), 4096u);
    EXPECT_FALSE(ReadRegularFile(dir / "file", 4095, error));
    EXPECT_EQ(error, "it is larger than 4095 bytes");
    EXPECT_FALSE(ReadRegularFile(dir / "file", 2048, error));
    EXPECT_EQ(error, "it is larger than 2 KiB");
}

// A full file system: every way of writing fails and says why (errno), the old file keeps its
// bytes, and no temporary file or spare is left beside it. The emulator's state file and the
// module caches are the volatile and frequent ways; jobs and settings the locked update.
TEST(AtomicWrite, AFullDiskLosesNothingAndLeavesNoHalfFiles) {
    const std::string old = "[Common]\nold contents, byte for byte\r\n\xC0\xFF";
    TempDir scratch;
    const TFullDiskRun run =
        RunOnFullDisk(scratch, [&](const std::string& folder, const auto& fill) {
            std::string failures;
            const auto fail = [&](const std::string& what) { failures += what + "\n"; };
            // Files of a writer that stays between writes, as the emulator's state writer does.
            TFrequentFileWriter state(folder + "/state");
            if (!state.Write(old)) fail("frequent: the first write failed");
            for (const auto& [name, write] : Writers())
                if (!WriteFileAtomic(folder + "/" + name, old))
                    fail(name + ": the old file failed");
            fill();
            const auto check = [&](const std::string& name, bool written) {
                const int error = errno;
                if (written)
                    fail(name + ": reported success");
                else if (error != ENOSPC && error != EFBIG && error != EDQUOT)
                    fail(name + ": errno " + std::to_string(error) + " tells nothing of the disk");
                if (ReadWholeFile(folder + "/" + name) != old)
                    fail(name + ": the old file changed");
            };
            for (const auto& [name, write] : Writers()) check(name, write(folder + "/" + name));
            check("state", state.Write(old + old));
            std::set<std::string> left;
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename() != ".filler") left.insert(entry.path().filename());
            std::set<std::string> expected{"state"};
            for (const auto& [name, write] : Writers()) expected.insert(name);
            for (const auto& name : left)
                if (!expected.contains(name)) fail("left behind: " + name);
            return failures;
        });
    if (run.how.empty()) GTEST_SKIP() << "neither a tmpfs nor a file-size limit could be set up";
    RecordProperty("full_file_system", run.how);
    EXPECT_EQ(run.failure, "") << "on a " << run.how;
}
