#include "summary/PooledIntake.h"

#include <algorithm>
#include <utility>

namespace Talvane::Nimlo {
namespace {

// What a file holds of the budget from its read until it is handed out: its
// size, and for a large page the whole budget besides, so that it is read
// alone; nothing for what is not read.
std::uint64_t Reservation(const Found& found)
{
    if (!HasBytesToRead(found)) {
        return 0;
    }
    if (const auto* page = std::get_if<PageFile>(&found)) {
        return page->size > LargePageBytes ? page->size + ReadBudgetBytes : page->size;
    }
    return std::get<NoteFile>(found).size;
}

} // namespace

PooledIntake::PooledIntake(FileSystem& files, const ReportReader& reader, bool csvLines, PoolJobs& jobs, Search& search,
                           std::size_t window)
    : files_(files)
    , reader_(reader)
    , csvLines_(csvLines)
    , jobs_(jobs)
    , search_(search)
    , window_(std::max<std::size_t>(window, 1))
{}

std::optional<Intaken> PooledIntake::Next()
{
    for (;;) {
        if (std::optional<Pending> next = merge_.Take()) {
            budget_.Give(Reservation(next->found));
            StartReads();
            return Intaken{std::move(next->found), std::move(next->taken)};
        }
        if (!searched_ && merge_.Waiting() < window_) {
            if (std::optional<Found> found = search_.Next()) {
                Meet(*std::move(found));
            } else {
                searched_ = true;
            }
            StartReads();
        } else if (!jobs_.FinishOne()) {
            return std::nullopt; // nothing out, nothing waiting: everything is handed out
        }
    }
}

void PooledIntake::Meet(Found found)
{
    const std::uint64_t number = merge_.Add();
    if (HasBytesToRead(found)) {
        reads_.emplace_back(number, std::move(found));
    } else {
        Taken taken = Take(reader_, found, std::nullopt, false);
        merge_.Put(number, Pending{std::move(found), std::move(taken)});
    }
}

void PooledIntake::StartReads()
{
    while (!reads_.empty()) {
        std::vector<Numbered> batch;
        while (batch.size() < MostFilesAJob && !reads_.empty() && budget_.Take(Reservation(reads_.front().second))) {
            batch.push_back(std::move(reads_.front()));
            reads_.pop_front();
        }
        if (batch.empty()) {
            return;
        }
        jobs_.Run(
            Lane::Files,
            [&files = files_, batch = std::move(batch)]() mutable {
                ReadFiles read;
                read.reserve(batch.size());
                for (Numbered& numbered : batch) {
                    std::optional<Result<std::string>> bytes = ReadFound(files, numbered.second);
                    read.emplace_back(std::move(numbered), std::move(bytes));
                }
                return read;
            },
            [this](ReadFiles&& read) { Read(std::move(read)); });
    }
}

void PooledIntake::Read(ReadFiles&& read)
{
    ReadFiles pages;
    for (auto& [numbered, bytes] : read) {
        if (std::holds_alternative<PageFile>(numbered.second)) {
            pages.emplace_back(std::move(numbered), std::move(bytes));
        } else {
            Taken taken = Take(reader_, numbered.second, std::move(bytes), false);
            merge_.Put(numbered.first, Pending{std::move(numbered.second), std::move(taken)});
        }
    }
    if (pages.empty()) {
        return;
    }
    jobs_.Run(
        Lane::Parsing,
        [&reader = reader_, csvLines = csvLines_, pages = std::move(pages)]() mutable {
            std::vector<std::pair<std::uint64_t, Pending>> taken;
            taken.reserve(pages.size());
            for (auto& [numbered, bytes] : pages) {
                Taken page = Take(reader, numbered.second, std::move(bytes), csvLines);
                taken.emplace_back(numbered.first, Pending{std::move(numbered.second), std::move(page)});
            }
            return taken;
        },
        [this](std::vector<std::pair<std::uint64_t, Pending>>&& taken) {
            for (auto& [number, pending] : taken) {
                merge_.Put(number, std::move(pending));
            }
        });
}

} // namespace Talvane::Nimlo
