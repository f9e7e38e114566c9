#pragma once

#include <filesystem>
#include <memory>
#include <set>

#include "platform/FleetFiles.h"

namespace Talvane::Nimlo::Testing {

// The platform's own file operations, with failures put in where a test
// wants them: a folder that cannot be listed, a write, flush or rename that
// fails. Everything else goes to the real file system.
class FailingFleetFiles : public FleetFiles {
public:
    Entry Examine(const std::filesystem::path& path) override { return real_->Examine(path); }
    FolderListing List(const std::filesystem::path& folder) override
    {
        if (unlistable.count(folder.lexically_normal()) != 0) {
            return {{}, "permission denied"};
        }
        return real_->List(folder);
    }
    FileContents Read(const std::filesystem::path& file, std::uint64_t limit) override
    {
        if (unreadable.count(file.lexically_normal()) != 0) {
            return {std::nullopt, "permission denied"};
        }
        return real_->Read(file, limit);
    }
    std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path) override
    {
        return real_->LinkTarget(path);
    }
    NewFile CreateNew(const std::filesystem::path& path) override
    {
        created.push_back(path);
        return real_->CreateNew(path);
    }
    std::optional<NativeFile> OpenExisting(const std::filesystem::path& path) override
    {
        return real_->OpenExisting(path);
    }
    bool Write(NativeFile file, std::string_view bytes) override { return !failWrite && real_->Write(file, bytes); }
    bool Flush(NativeFile file) override { return !failFlush && real_->Flush(file); }
    bool Close(NativeFile file) override { return real_->Close(file); }
    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        return !failRename && real_->Rename(from, to);
    }
    bool Remove(const std::filesystem::path& path) override { return real_->Remove(path); }
    std::optional<std::uint64_t> UnforeseeableNumber() override { return real_->UnforeseeableNumber(); }
    bool CreateFolder(const std::filesystem::path& path) override { return real_->CreateFolder(path); }
    bool StandardErrorIsTerminal() override { return terminal; }

    std::set<std::filesystem::path> unlistable; // lexically normal paths
    std::set<std::filesystem::path> unreadable;
    bool failWrite = false;
    bool failFlush = false;
    bool failRename = false;
    bool terminal = false;
    std::vector<std::filesystem::path> created;

private:
    std::unique_ptr<FleetFiles> real_ = MakePlatformFleetFiles();
};

} // namespace Talvane::Nimlo::Testing
