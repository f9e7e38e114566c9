#include "app/PendingReport.h"

#include <stdexcept>

namespace Talvane::Nimlo {
namespace {

// The new file and its name; no file and no name when none could be had.
std::pair<std::u16string, std::optional<NativeFile>> CreateUnderFreshName(FileSystem& files)
{
    for (int attempt = 0; attempt < PendingReportNameTries; ++attempt) {
        const std::optional<std::uint64_t> number = files.UnforeseeableNumber();
        if (!number) {
            break;
        }
        std::u16string name = PendingReportName(*number);
        const NewFile created = files.CreateNew(name);
        if (created.file) {
            return {std::move(name), created.file};
        }
        if (!created.nameTaken) {
            break;
        }
    }
    return {};
}

} // namespace

std::u16string PendingReportName(std::uint64_t number)
{
    std::u16string name = u"~System Assessment Results.";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += u"0123456789abcdef"[(number >> shift) & 0xF];
    }
    return name + u".tmp";
}

PendingReport::PendingReport(FileSystem& files) : PendingReport(files, CreateUnderFreshName(files)) {}

PendingReport::PendingReport(FileSystem& files, Created created)
    : files_(&files)
    , name_(std::move(created.first))
    , file_(files, created.second)
{}

PendingReport::~PendingReport()
{
    file_.Close();
    if (!name_.empty()) {
        files_->Remove(name_);
    }
}

void PendingReport::Write(const std::string& bytes)
{
    file_.Write(bytes);
}

void PendingReport::Commit(const std::u16string& reportName)
{
    file_.Flush();
    file_.Close();
    if (!files_->Rename(name_, reportName)) {
        throw std::runtime_error("Failed to replace the report");
    }
    name_.clear();
}

} // namespace Talvane::Nimlo
