// Every corpus file through the entry point of its target, with the normal
// compiler: the inputs that once found a fault stay mended, and the seeds
// keep passing the targets' own checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fuzz/FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

fs::path CorpusRoot() { return fs::path(OMR_TEST_DATA).parent_path().parent_path() / "corpus"; }

std::vector<fs::path> Files(const fs::path& dir) {
    std::vector<fs::path> files;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(Corpus, EveryFolderBelongsToATargetAndEveryTargetHasSeeds) {
    for (const auto& entry : fs::directory_iterator(CorpusRoot())) {
        const std::string name = entry.path().filename().string();
        const auto& targets = FuzzTargets();
        EXPECT_TRUE(std::any_of(targets.begin(), targets.end(), [&](const TFuzzTarget& t) { return name == t.Name; }))
            << "corpus folder without a target: " << name;
    }
    for (const TFuzzTarget& t : FuzzTargets()) EXPECT_FALSE(Files(CorpusRoot() / t.Name).empty()) << t.Name;
}

TEST(Corpus, EveryFileReplaysThroughItsTarget) {
    for (const TFuzzTarget& t : FuzzTargets()) {
        for (const fs::path& file : Files(CorpusRoot() / t.Name)) {
            try {
                t.Run(FuzzReadFile(file.string()));
            } catch (const EFuzzCheckFailed& e) {
                ADD_FAILURE() << file << ": " << e.what();
            } catch (const std::exception& e) {
                ADD_FAILURE() << file << ": escaped " << typeid(e).name() << ": " << e.what();
            }
        }
    }
}
