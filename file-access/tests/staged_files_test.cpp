#include "file_access/staged_files.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <gs_test/golden.hpp>
#include <string>
#include <vector>

namespace file_access {
namespace {

using gs_test::readText;
using gs_test::TemporaryFolder;
using gs_test::writeText;

const std::vector<std::string> names = {"icon.svg", "small.png", "large.png", "xlarge.png"};

// Fails the staging or the placing of one file, counted from 0.
class FailingSteps : public StagingSteps {
public:
    std::size_t failStage = SIZE_MAX;
    std::size_t failPlace = SIZE_MAX;

    std::optional<std::string> stage(int folder, const std::string& name, std::string_view bytes,
                                     std::optional<mode_t> mode) override {
        if (staged_++ == failStage) return std::nullopt;
        return StagingSteps::stage(folder, name, bytes, mode);
    }
    bool place(int folder, const std::string& temporary, const std::string& name, bool replace) override {
        if (placed_++ == failPlace) {
            errno = ENOSPC;
            return false;
        }
        return StagingSteps::place(folder, temporary, name, replace);
    }

private:
    std::size_t staged_ = 0;
    std::size_t placed_ = 0;
};

struct Batch {
    TemporaryFolder folder;
    Descriptor fd;
    Batch() {
        for (const std::string& name : names) writeText(folder.path() / name, "old " + name);
        fd.reset(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
    }
    // Stages every file anew, up to the first that fails.
    bool stageAll(StagedFiles& staged) const {
        for (const std::string& name : names)
            if (!staged.stage(fd.get(), name, "new " + name, true)) return false;
        return true;
    }
    // Only the four files, each as `isNew` says.
    void expectFiles(const std::function<bool(std::size_t)>& isNew) const {
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"icon.svg", "large.png", "small.png", "xlarge.png"}));
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(readText(folder.path() / names[i]), (isNew(i) ? "new " : "old ") + names[i]);
    }
};

TEST(StagedFiles, AFailureWhileStagingReplacesNothingAndLeavesNoTemporary) {
    for (std::size_t k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(k);
        Batch batch;
        FailingSteps steps;
        steps.failStage = k;
        StagedFiles staged(steps);
        ASSERT_FALSE(batch.stageAll(staged));
        staged.abandon();
        batch.expectFiles([](std::size_t) { return false; });
    }
}

TEST(StagedFiles, AFailedRenameStopsThereAndSaysHowManyWerePlaced) {
    for (std::size_t k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(k);
        Batch batch;
        FailingSteps steps;
        steps.failPlace = k;
        {
            StagedFiles staged(steps);
            ASSERT_TRUE(batch.stageAll(staged));
            const StagedFiles::Placement placement = staged.placeAll();
            EXPECT_EQ(placement.placed, k);
            EXPECT_EQ(placement.error, ENOSPC);
            EXPECT_FALSE(placement.complete());
        }
        batch.expectFiles([k](std::size_t i) { return i < k; });
    }
}

TEST(StagedFiles, StagedFilesLeftUnplacedAreRemovedWithTheBatch) {
    Batch batch;
    {
        StagedFiles staged;
        ASSERT_TRUE(batch.stageAll(staged));
        EXPECT_EQ(batch.folder.entries().size(), 2 * names.size());
    }
    batch.expectFiles([](std::size_t) { return false; });
}

}  // namespace
}  // namespace file_access
