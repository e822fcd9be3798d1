#include "file_access/safe_write.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <gs_test/golden.hpp>
#include <string>

#include "file_access/descriptor.hpp"

namespace file_access {
namespace {

namespace fs = std::filesystem;
using gs_test::readText;
using gs_test::TemporaryFolder;
using gs_test::writeText;

// A process that has ended and been reaped: its number names no process.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(SafeWrite, ReplacesAFileWithTheUmaskModeAndLeavesOnlyIt) {
    TemporaryFolder folder;
    writeText(folder.path() / "icon.svg", "old");
    fs::permissions(folder.path() / "icon.svg", fs::perms(0600));
    const mode_t previous = ::umask(022);
    const bool written = replaceFile(folder.path() / "icon.svg", "new bytes");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(readText(folder.path() / "icon.svg"), "new bytes");
    struct stat status {};
    ASSERT_EQ(::stat((folder.path() / "icon.svg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"icon.svg"});
}

TEST(SafeWrite, ALinkAtThePathIsReplacedNotFollowed) {
    TemporaryFolder folder;
    writeText(folder.path() / "kept.svg", "kept");
    fs::create_symlink(folder.path() / "kept.svg", folder.path() / "icon.svg");
    ASSERT_TRUE(replaceFile(folder.path() / "icon.svg", "new"));
    EXPECT_FALSE(fs::is_symlink(folder.path() / "icon.svg"));
    EXPECT_EQ(readText(folder.path() / "kept.svg"), "kept");
}

TEST(SafeWrite, AFileTooLargeForTheDiskLeavesTheOldOneAndNoTemporary) {
    TemporaryFolder folder;
    writeText(folder.path() / "large.png", "old large");
    // In a child, so that the file size limit binds nothing else.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(replaceFile(folder.path() / "large.png", std::string(1000, 'x')) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readText(folder.path() / "large.png"), "old large");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"large.png"});
}

TEST(SafeWrite, WithoutReplaceAnExistingFileStays) {
    TemporaryFolder folder;
    writeText(folder.path() / ".homeyignore", "node_modules");
    const Descriptor fd(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
    EXPECT_EQ(replaceFileAt(fd.get(), ".homeyignore", "sources/\n", false), WriteOutcome::exists);
    EXPECT_EQ(readText(folder.path() / ".homeyignore"), "node_modules");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{".homeyignore"});
}

TEST(TemporaryFiles, TheirNamesTellTheProcessThatMadeThem) {
    EXPECT_EQ(temporaryFileOwner(".large.png.tmp-1518-0"), pid_t{1518});
    EXPECT_EQ(temporaryFileOwner(".a.tmp-7-12"), pid_t{7});
    for (const char* other :
         {"large.png", ".large.png", ".tmp-1-0", "large.png.tmp-1-0", ".large.png.tmp-1", ".large.png.tmp--0",
          ".large.png.tmp-1-", ".large.png.tmp-1-0x", ".large.png.tmp-0-0", ".large.png.tmp-99999999999999999999-0"}) {
        EXPECT_EQ(temporaryFileOwner(other), std::nullopt) << other;
    }
}

TEST(TemporaryFiles, ThoseOfAnEndedProcessAreRemovedByTheNextWriteThere) {
    TemporaryFolder folder;
    const std::string ended = std::to_string(endedProcess());
    const std::string running = std::to_string(::getppid());
    writeText(folder.path() / (".large.png.tmp-" + ended + "-0"), "half an image");
    writeText(folder.path() / (".small.png.tmp-" + running + "-0"), "another run's");
    writeText(folder.path() / "notes.tmp-1-0", "the user's");
    fs::create_directory(folder.path() / (".folder.tmp-" + ended + "-1"));
    // A day old: its number may have been given to another process since.
    writeText(folder.path() / (".icon.svg.tmp-" + running + "-3"), "yesterday's");
    fs::last_write_time(folder.path() / (".icon.svg.tmp-" + running + "-3"),
                        fs::file_time_type::clock::now() - std::chrono::hours(25));
    ASSERT_TRUE(replaceFile(folder.path() / "xlarge.png", "new"));
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{".folder.tmp-" + ended + "-1", ".small.png.tmp-" + running + "-0",
                                        "notes.tmp-1-0", "xlarge.png"}));
}

}  // namespace
}  // namespace file_access
