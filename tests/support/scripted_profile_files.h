#pragma once
// The profile-file operations on the real file store, with a VirtualStore of the test's choosing
// and writes that can be told to fail.
#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "settings/store/file_store.h"
#include "settings/store/profile_files.h"

namespace test_support {

#ifdef _WIN32
inline constexpr int kAccessDeniedCode = 5;  // ERROR_ACCESS_DENIED
inline constexpr int kDiskFullCode = 112;    // ERROR_DISK_FULL
#else
inline constexpr int kAccessDeniedCode = EACCES;
inline constexpr int kDiskFullCode = ENOSPC;
#endif

struct ProfileFilesScript {
    std::string virtualized;  // files below this folder have a copy ...
    std::string store;        // ... at the same place below this one
    bool virtualizationAllowed = true;
    std::map<std::string, int> failingWrites;  // path -> the error its write fails with
};

class ScriptedProfileFiles : public settings::store::ProfileFiles {
public:
    explicit ScriptedProfileFiles(std::shared_ptr<ProfileFilesScript> script)
        : m_script(std::move(script)) {}

    bool Stage(const std::string& path, std::string_view bytes, settings::store::StagedFile& staged,
               int& error) override {
        const auto failing = m_script->failingWrites.find(path);
        if (failing == m_script->failingWrites.end()) {
            return settings::store::ProfileFiles::Stage(path, bytes, staged, error);
        }
        error = failing->second;
        settings::store::SetLastErrorCode(error);
        return false;
    }

    std::optional<std::string> VirtualStoreCopy(const std::string& path) override {
        const std::string& root = m_script->virtualized;
        if (root.empty() || path.compare(0, root.size(), root) != 0) return std::nullopt;
        return m_script->store + path.substr(root.size());
    }

    bool VirtualizationAllowed() override { return m_script->virtualizationAllowed; }

private:
    std::shared_ptr<ProfileFilesScript> m_script;
};

}  // namespace test_support
