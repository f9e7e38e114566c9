#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/FailingFiles.h"
#include "fakes/Profiles.h"
#include "summary/Paths.h"
#include "summary/Run.h"

namespace Talvane::Nimlo::Testing {

namespace fs = std::filesystem;

// A folder of the test's own with "reports" and "reports/sub" in it, and the
// summary run on it through the real file system (with failures put in where
// a test asks for them).
class SummaryFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("nimlo-summary-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "reports" / "sub");
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const fs::path& relative, std::string_view bytes) const
    {
        std::ofstream(root_ / relative, std::ios::binary) << bytes;
    }
    std::string Read(const fs::path& relative) const
    {
        std::ifstream in(root_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // As the summary names it: with the platform's separators.
    std::string Path(const fs::path& relative) const { return PathToUtf8((root_ / relative).make_preferred()); }

    // The exit status, as a script sees it.
    int Run(const std::vector<std::string>& arguments)
    {
        out_.str("");
        err_.str("");
        return static_cast<int>(RunSummary(arguments, EmbeddedReportTemplate, services_, out_, err_));
    }

    // The names of the entries of a folder, sorted.
    std::vector<std::string> Names(const fs::path& relative) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_ / relative)) {
            names.push_back(PathToUtf8(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root_;
    FailingSummaryServices services_;
    FailingFileSystem& files_ = services_.files;
    std::ostringstream out_;
    std::ostringstream err_;
};

} // namespace Talvane::Nimlo::Testing
