// Replays every saved fuzz input (seeds and past findings) through its target,
// so a fixed finding stays fixed under the ordinary sanitizer run.
#include "FUZZ_Targets.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string FuzzDir = std::string(TINTSCOPE_TEST_DATA_DIR) + "/../../fuzz";

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

TEST(FUZZ_Replay, EveryTargetHasSeedsAndEverySeedFolderATarget) {
    std::set<std::string> targets;
    for (size_t i = 0; i < FUZZ_NumTargets; ++i) {
        targets.insert(FUZZ_AllTargets[i].name);
        EXPECT_FALSE(Entries(FuzzDir + "/corpus/" + FUZZ_AllTargets[i].name).empty()) << FUZZ_AllTargets[i].name;
    }
    for (const std::string& folder : Entries(FuzzDir + "/corpus"))
        EXPECT_TRUE(targets.count(folder)) << "corpus folder without a target: " << folder;
    for (const std::string& folder : Entries(FuzzDir + "/regressions"))
        EXPECT_TRUE(targets.count(folder)) << "regression folder without a target: " << folder;
}

TEST(FUZZ_Replay, SavedInputsRunCleanly) {
    size_t replayed = 0;
    for (size_t i = 0; i < FUZZ_NumTargets; ++i) {
        const FUZZ_Target& target = FUZZ_AllTargets[i];
        for (const char* kind : {"/corpus/", "/regressions/"}) {
            const std::string dir = FuzzDir + kind + target.name;
            for (const std::string& name : Entries(dir)) {
                SCOPED_TRACE(dir + "/" + name);
                const std::string input = Read(dir + "/" + name);
                EXPECT_EQ(FUZZ_Run(target, reinterpret_cast<const uint8_t*>(input.data()), input.size()), 0);
                ++replayed;
            }
        }
    }
    EXPECT_GT(replayed, FUZZ_NumTargets);
}
