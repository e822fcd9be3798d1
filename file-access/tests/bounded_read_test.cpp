#include "file_access/bounded_read.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace file_access {
namespace {

namespace fs = std::filesystem;

class BoundedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("file_access_bounded_" + std::to_string(::getpid()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path write(const std::string& name, const std::string& contents) const {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    fs::path folder_;
};

TEST_F(BoundedFileTest, ReadsARegularFileWhole) {
    const std::string contents = std::string("{\"id\":\"x\"}\n") + std::string(1, '\0') + "tail";
    EXPECT_EQ(readBoundedFile(write("app.json", contents), textFileLimit), contents);
}

TEST_F(BoundedFileTest, ReadsAnEmptyFile) {
    EXPECT_EQ(readBoundedFile(write("empty", ""), 10), std::string());
}

TEST_F(BoundedFileTest, ReadsAFileOfExactlyTheLimit) {
    EXPECT_EQ(readBoundedFile(write("ten", "0123456789"), 10), "0123456789");
}

TEST_F(BoundedFileTest, RefusesAFileOverTheLimit) {
    EXPECT_EQ(readBoundedFile(write("eleven", "0123456789a"), 10), std::nullopt);
}

TEST_F(BoundedFileTest, RefusesAMissingFile) {
    EXPECT_EQ(readBoundedFile(folder_ / "absent", 100), std::nullopt);
}

TEST_F(BoundedFileTest, RefusesAFolder) {
    fs::create_directory(folder_ / "drivers");
    EXPECT_EQ(readBoundedFile(folder_ / "drivers", textFileLimit), std::nullopt);
}

TEST_F(BoundedFileTest, RefusesAFifoWithoutWaitingForAWriter) {
    const fs::path fifo = folder_ / "app.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readBoundedFile(fifo, textFileLimit), std::nullopt);
}

TEST_F(BoundedFileTest, RefusesALinkToADevice) {
    fs::create_symlink("/dev/zero", folder_ / "icon.svg");
    EXPECT_EQ(readBoundedFile(folder_ / "icon.svg", imageFileLimit), std::nullopt);
}

TEST_F(BoundedFileTest, RefusesALinkToAFolder) {
    fs::create_directory(folder_ / "real");
    fs::create_directory_symlink(folder_ / "real", folder_ / "linked");
    EXPECT_EQ(readBoundedFile(folder_ / "linked", textFileLimit), std::nullopt);
}

TEST_F(BoundedFileTest, ReadsThroughALinkToARegularFile) {
    write("target.json", "[1,2]");
    fs::create_symlink(folder_ / "target.json", folder_ / "app.json");
    EXPECT_EQ(readBoundedFile(folder_ / "app.json", textFileLimit), "[1,2]");
}

TEST_F(BoundedFileTest, RefusesADanglingLink) {
    fs::create_symlink(folder_ / "nowhere", folder_ / "app.json");
    EXPECT_EQ(readBoundedFile(folder_ / "app.json", textFileLimit), std::nullopt);
}

}  // namespace
}  // namespace file_access
