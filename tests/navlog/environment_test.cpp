#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

namespace {

// The WinPlanner reader sends its scratch file to the recycle bin: keep that
// bin inside a directory of the test run instead of the user's.
class PrivateTrash : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-navlog-trash-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    std::string dir_;
};

const auto* const kTrash = ::testing::AddGlobalTestEnvironment(new PrivateTrash);

}  // namespace
