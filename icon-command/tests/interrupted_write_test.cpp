// The real glyphctl, signalled at many points of a driver write: the driver's
// files are all the old ones or all the new ones, and no temporary file stays.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fixtures.hpp"

namespace icon_command {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every file below the folder with its bytes.
Files filesBelow(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).native()] = testing::readText(entry.path());
    return files;
}

bool holdsTemporaryFile(const Files& files) {
    for (const auto& [path, bytes] : files)
        if (path.find(".tmp-") != std::string::npos) return true;
    return false;
}

// A driver write of one template and photo, as a separate process; the signal
// comes `delay` after it starts (none when negative). Its wait status.
int runWrite(const fs::path& app, const std::string& modelTemplate, const std::string& photo,
             std::chrono::microseconds delay, int signal, rlim_t fileSizeLimit = RLIM_INFINITY) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(GS_GLYPHCTL, "glyphctl", "pilote", app.c_str(), "capteur", "--gabarit", modelTemplate.c_str(),
                "--photo", photo.c_str(), "--ecrire", "--remplacer", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (delay.count() >= 0) {
        std::this_thread::sleep_for(delay);
        ::kill(child, signal);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// A small photo in a large file: a PNG carrying a private chunk of filler, which
// readers skip, so that staging its copy among the sources takes a while.
std::string largePhoto(int square) {
    std::string png = testing::squarePhoto(120, square);
    const std::size_t filler = std::size_t{4} << 20;
    std::string chunk = {char(filler >> 24), char((filler >> 16) & 0xff), char((filler >> 8) & 0xff),
                         char(filler & 0xff)};
    chunk += "prVt" + std::string(filler, 'f');
    const unsigned long crc =
        ::crc32(::crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(chunk.data() + 4), filler + 4);
    chunk += {char(crc >> 24), char((crc >> 16) & 0xff), char((crc >> 8) & 0xff), char(crc & 0xff)};
    // After the signature and the header chunk (8 + 25 bytes).
    return png.insert(33, chunk);
}

struct Scratch {
    testing::TemporaryFolder folder;
    fs::path app = folder.path() / "app";
    std::string photoA = folder.file("a.png");
    std::string photoB = folder.file("b.png");

    Scratch() {
        testing::writeText(app / "app.json", R"({"id": "com.exemple"})");
        fs::create_directories(app / "drivers/capteur");
        testing::writeText(photoA, largePhoto(60));
        testing::writeText(photoB, largePhoto(40));
    }
};

TEST(InterruptedWrite, ASignalLeavesTheDriverAllOldOrAllNewAndNoTemporaryFile) {
    Scratch scratch;
    // The two states, each written whole: A, then B over it.
    ASSERT_EQ(runWrite(scratch.app, "contact-sensor", scratch.photoA, std::chrono::microseconds(-1), 0), 0);
    const Files a = filesBelow(scratch.app);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runWrite(scratch.app, "bulb", scratch.photoB, std::chrono::microseconds(-1), 0), 0);
    const auto duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const Files b = filesBelow(scratch.app);
    ASSERT_NE(a, b);

    // The signal's moment closes in on the write: later after a run the
    // signal ended before its write began, earlier after one that finished.
    std::mt19937 random(20261210);
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    long early = duration.count() / 3;
    long late = duration.count() * 6 / 5;
    int givenUp = 0;
    bool atB = true;
    for (int run = 0; run < 30; ++run) {
        SCOPED_TRACE(run);
        const int signal = signals[run % 3];
        if (late - early < 2000) {
            early = std::max(0L, early - 2000);
            late += 2000;
        }
        const long delay = std::uniform_int_distribution<long>(early, late)(random);
        const int status = runWrite(scratch.app, atB ? "contact-sensor" : "bulb", atB ? scratch.photoA : scratch.photoB,
                                    std::chrono::microseconds(delay), signal);
        const Files now = filesBelow(scratch.app);
        EXPECT_FALSE(holdsTemporaryFile(now));
        const Files& before = atB ? b : a;
        const Files& after = atB ? a : b;
        ASSERT_TRUE(now == before || now == after) << "a mix of old and new files";
        if (WIFEXITED(status)) {
            const int code = WEXITSTATUS(status);
            // Finished, or ended by the signal after giving up or after the renames.
            EXPECT_TRUE(code == 0 || code == 128 + signal) << code;
            if (code == 0) EXPECT_TRUE(now == after);
            if (code == 128 + signal && now == before) ++givenUp;
        } else {
            // Killed before or after the write, where the signal ends it at once.
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), signal);
        }
        if (WIFSIGNALED(status) && now == before) early = delay;
        if (now == after) late = delay;
        atB = now == b;
    }
    RecordProperty("writes given up", givenUp);
}

TEST(InterruptedWrite, AFileSizeLimitReachedPartWayReplacesNothing) {
    Scratch scratch;
    ASSERT_EQ(runWrite(scratch.app, "contact-sensor", scratch.photoA, std::chrono::microseconds(-1), 0), 0);
    const Files before = filesBelow(scratch.app);
    // The images fit; the copy of the photo among the sources does not.
    const int status = runWrite(scratch.app, "bulb", scratch.photoB, std::chrono::microseconds(-1), 0, rlim_t{1} << 20);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(filesBelow(scratch.app), before);
}

TEST(InterruptedWrite, TemporaryFilesOfAKilledRunAreRemovedByTheNextWrite) {
    Scratch scratch;
    ASSERT_EQ(runWrite(scratch.app, "contact-sensor", scratch.photoA, std::chrono::microseconds(-1), 0), 0);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runWrite(scratch.app, "bulb", scratch.photoB, std::chrono::microseconds(-1), 0), 0);
    const auto duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::mt19937 random(7);
    for (int run = 0; run < 10; ++run) {
        const auto delay = std::chrono::microseconds(
            std::uniform_int_distribution<long>(duration.count() * 2 / 3, duration.count() * 11 / 10)(random));
        (void)runWrite(scratch.app, run % 2 ? "bulb" : "contact-sensor", run % 2 ? scratch.photoB : scratch.photoA,
                       delay, SIGKILL);
    }
    ASSERT_EQ(runWrite(scratch.app, "bulb", scratch.photoB, std::chrono::microseconds(-1), 0), 0);
    EXPECT_FALSE(holdsTemporaryFile(filesBelow(scratch.app)));
}

}  // namespace
}  // namespace icon_command
