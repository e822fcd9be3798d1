#include "icon_command/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "transcript.hpp"

namespace icon_command {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

std::string writeRefusal(std::string_view bytes, const std::string& path, Language language = Language::en) {
    try {
        IconCommand::writeFile(bytes, path, language);
    } catch (const CommandError& error) {
        EXPECT_EQ(error.code, ExitCode::fileError);
        return error.message;
    }
    ADD_FAILURE() << "written: " << path;
    return "";
}

TEST(FileWriter, CreatesMissingFoldersAndReplacesAtomically) {
    TemporaryFolder folder;
    const std::string path = folder.file("a/b/c/icon.svg");
    IconCommand::writeFile("first", path, Language::en);
    EXPECT_EQ(testing::readText(path), "first");
    IconCommand::writeFile("second, longer", path, Language::en);
    EXPECT_EQ(testing::readText(path), "second, longer");
    IconCommand::writeFile("", path, Language::en);
    EXPECT_EQ(testing::readText(path), "");
    // No temporary file stays behind.
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a"});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("a/b/c")), fs::directory_iterator()), 1);
}

TEST(FileWriter, ModeIsReadableByAllLessTheUmask) {
    TemporaryFolder folder;
    const mode_t previous = ::umask(022);
    IconCommand::writeFile("x", folder.file("public.json"), Language::en);
    ::umask(027);
    IconCommand::writeFile("x", folder.file("group.json"), Language::en);
    ::umask(previous);
    struct stat info {};
    ASSERT_EQ(::stat(folder.file("public.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    ASSERT_EQ(::stat(folder.file("group.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(FileWriter, UnwritablePathsAreFileErrorsAndLeaveNothingHalfWritten) {
    TemporaryFolder folder;
    testing::writeText(folder.file("plain"), "keep");
    fs::create_directories(folder.file("occupied/inside"));

    EXPECT_EQ(writeRefusal("x", folder.file("plain/icon.svg")), "Cannot write " + folder.file("plain/icon.svg") + ".");
    EXPECT_EQ(writeRefusal("x", folder.file("occupied"), Language::fr),
              "Impossible d’écrire " + folder.file("occupied") + ".");
    EXPECT_EQ(writeRefusal("x", folder.file("new/")), "Cannot write " + folder.file("new/") + ".");
    EXPECT_EQ(writeRefusal("x", ""), "Cannot write .");
    EXPECT_EQ(testing::readText(folder.file("plain")), "keep");
    EXPECT_TRUE(fs::is_directory(folder.file("occupied/inside")));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"occupied", "plain"}));
}

TEST(FileWriter, ReadOnlyFolderRefusesTheWrite) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TemporaryFolder folder;
    fs::create_directories(folder.file("locked"));
    testing::writeText(folder.file("locked/icon.svg"), "old");
    fs::permissions(folder.file("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(writeRefusal("new", folder.file("locked/icon.svg")),
              "Cannot write " + folder.file("locked/icon.svg") + ".");
    EXPECT_EQ(testing::readText(folder.file("locked/icon.svg")), "old");
    fs::permissions(folder.file("locked"), fs::perms::owner_all);
}

TEST(FileWriter, ALinkStaysALinkAndItsFileIsReplacedKeepingItsMode) {
    TemporaryFolder folder;
    testing::writeText(folder.file("real.svg"), "old");
    ::chmod(folder.file("real.svg").c_str(), 0640);
    fs::create_symlink(folder.file("real.svg"), folder.file("link.svg"));
    IconCommand::writeFile("new", folder.file("link.svg"), Language::en);
    EXPECT_TRUE(fs::is_symlink(folder.file("link.svg")));
    EXPECT_EQ(testing::readText(folder.file("real.svg")), "new");
    struct stat status {};
    ASSERT_EQ(::stat(folder.file("real.svg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"link.svg", "real.svg"}));
}

TEST(FileWriter, DevicesAndPipesAreWrittenIntoFoldersRefused) {
    TemporaryFolder folder;
    // /dev/null stays the device (as root the old writer made it a file).
    IconCommand::writeFile("ignored", "/dev/null", Language::en);
    struct stat status {};
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    fs::create_symlink("/dev/null", folder.file("to-null"));
    IconCommand::writeFile("ignored", folder.file("to-null"), Language::en);
    EXPECT_TRUE(fs::is_symlink(folder.file("to-null")));

    // A pipe receives the bytes; it stays a pipe.
    const std::string pipe = folder.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = testing::readText(pipe); });
    IconCommand::writeFile("through the pipe", pipe, Language::en);
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(pipe));

    // A full device is a failed write.
    EXPECT_EQ(writeRefusal("x", "/dev/full"), "Cannot write /dev/full.");

    // A folder, or a link to one, is refused and kept.
    fs::create_directories(folder.file("dir"));
    fs::create_directory_symlink(folder.file("dir"), folder.file("to-dir"));
    EXPECT_EQ(writeRefusal("x", folder.file("to-dir")), "Cannot write " + folder.file("to-dir") + ".");
    EXPECT_TRUE(fs::is_symlink(folder.file("to-dir")));
    EXPECT_TRUE(fs::is_empty(folder.file("dir")));
}

TEST(FileWriter, AFailedWriteRemovesTheFoldersItMade) {
    TemporaryFolder folder;
    const std::string tooLong = folder.file("new1/new2/" + std::string(256, 'n') + ".svg");
    EXPECT_EQ(writeRefusal("x", tooLong), "Cannot write " + tooLong + ".");
    EXPECT_TRUE(folder.entries().empty());
    // Folders that were there before stay.
    fs::create_directories(folder.file("kept"));
    const std::string inKept = folder.file("kept/new/" + std::string(256, 'n') + ".svg");
    EXPECT_EQ(writeRefusal("x", inKept), "Cannot write " + inKept + ".");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"kept"});
    EXPECT_TRUE(fs::is_empty(folder.file("kept")));
}

}  // namespace
}  // namespace icon_command
