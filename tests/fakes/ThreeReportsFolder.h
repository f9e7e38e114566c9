#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "fakes/SearchAll.h"
#include "summary/Intake.h"
#include "summary/Paths.h"
#include "summary/Search.h"

namespace Talvane::Nimlo::Testing {

// A folder of the test's own with three reports in "reports", and what the
// summary's intake and search make of it through the files a test
// hands them (whose calls it makes fail).
class ThreeReportsFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("nimlo-fleet-files-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "reports");
        for (const char* name : {"a.html", "b.html", "c.html"}) {
            std::ofstream(folder_ / "reports" / name, std::ios::binary) << EmbeddedGoldenAllPass;
        }
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path Report() const { return folder_ / "reports" / "a.html"; }

    // What the intake of reports/a.html gives: its computer name, or why it is rejected.
    std::string Take(FileSystem& files) const
    {
        const PageFile page{Report(), {}};
        const Taken taken = Talvane::Nimlo::Take(reader_, page, ReadFound(files, page), false);
        if (const auto* report = std::get_if<TakenReport>(&taken)) {
            return report->digest.computer;
        }
        const std::string& message = std::get<Rejection>(taken).message;
        return message.substr(ShownPath(Report()).size() + 2);
    }

    // What the search of "reports" meets: the pages' names, or the path passed
    // over and why; its look-ups are made one after another, as a script of
    // failing calls expects them.
    std::vector<std::string> Search(FileSystem& files) const
    {
        std::vector<std::string> met;
        for (const Found& found : SearchAll(files, {PathToUtf8(folder_ / "reports")}, std::nullopt)) {
            if (const auto* page = std::get_if<PageFile>(&found)) {
                met.push_back(PathToUtf8(page->path.filename()));
            } else if (const auto* passedOver = std::get_if<PassedOver>(&found)) {
                met.push_back(PathToUtf8(passedOver->path.filename()) + ": " + passedOver->why);
            }
        }
        return met;
    }

    std::filesystem::path folder_;
    const ReportReader reader_ = *ReportReader::ForTemplate(EmbeddedReportTemplate);
};

} // namespace Talvane::Nimlo::Testing
