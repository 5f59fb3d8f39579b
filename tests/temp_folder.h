#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace velmora {

// A fresh, empty folder for each test, removed after it. The name holds the test's and the
// process's, so that tests run side by side never share a folder.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("velmora-") + test.test_suite_name() + "-" + test.name() + "-" +
                           std::to_string(::getpid());
        std::replace(name.begin(), name.end(), '/', '_'); // the instances of parameterized tests
        folder_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

} // namespace velmora
