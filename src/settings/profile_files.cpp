#include "settings/profile_files.h"

#include "settings/file_store.h"

namespace settings {

namespace {

std::unique_ptr<ProfileFiles>& Slot() {
    static std::unique_ptr<ProfileFiles> files;
    return files;
}

std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

bool ProfileFiles::Read(const std::string& path, std::string& bytes, bool& exists, int& error) {
    return ReadWholeFile(path, bytes, exists, error);
}

bool ProfileFiles::Replace(const std::string& path, std::string_view bytes, int& error) {
    return ReplaceWholeFile(path, bytes, error);
}

bool ProfileFiles::CreateFolders(const std::string& folder, int& error) {
    return settings::CreateFolders(folder, error);
}

std::optional<std::string> ProfileFiles::VirtualStoreCopy(const std::string& path) {
    return PlatformVirtualStoreCopy(path);
}

bool ProfileFiles::VirtualizationAllowed() {
    return PlatformVirtualizationAllowed();
}

ProfileFiles& CurrentProfileFiles() {
    std::unique_ptr<ProfileFiles>& files = Slot();
    if (!files) files = std::make_unique<ProfileFiles>();
    return *files;
}

void SetProfileFiles(std::unique_ptr<ProfileFiles> files) {
    Slot() = std::move(files);
}

std::string ReadProfile(const std::string& path) {
    ProfileFiles& files = CurrentProfileFiles();
    std::string bytes;
    bool exists = false;
    int error = 0;
    if (const std::optional<std::string> copy = files.VirtualStoreCopy(path)) {
        const bool read = files.Read(*copy, bytes, exists, error);
        if (read && exists) return bytes;
        if (!read) return {};
    }
    if (!files.Read(path, bytes, exists, error)) bytes.clear();
    return bytes;
}

bool ProfileSave::Prepare(const std::string& path, int& error) {
    ProfileFiles& files = CurrentProfileFiles();
    m_path = path;
    m_copy = files.VirtualStoreCopy(path);
    m_copyExists = false;
    bool exists = false;
    if (m_copy) {
        // A copy that is there but cannot be read fails the save, as the real file does.
        if (!files.Read(*m_copy, m_copyBytes, exists, error)) return false;
        m_copyExists = exists;
    }
    m_realReadable = files.Read(m_path, m_realBytes, exists, error);
    if (m_realReadable) return true;
    // Beside an existing copy the real file is a courtesy: one it may not read is left alone.
    if (m_copyExists && IsAccessDenied(error)) return true;
    return false;
}

bool ProfileSave::Write(int& error) {
    ProfileFiles& files = CurrentProfileFiles();
    if (m_copyExists) {
        if (!files.Replace(*m_copy, m_copyBytes, error)) return false;
        if (!m_realReadable || files.Replace(m_path, m_realBytes, error)) return true;
        return IsAccessDenied(error);
    }
    if (files.Replace(m_path, m_realBytes, error)) return true;
    if (!IsAccessDenied(error) || !m_copy || !files.VirtualizationAllowed()) return false;
    const std::string folder = FolderOf(*m_copy);
    if (!folder.empty() && !files.CreateFolders(folder, error)) return false;
    return files.Replace(*m_copy, m_realBytes, error);
}

}  // namespace settings

namespace settings {

ProfileCopyInfo WhichProfileCopy(const std::string& path) {
    ProfileFiles& files = CurrentProfileFiles();
    ProfileCopyInfo info;
    info.virtualStore = files.VirtualStoreCopy(path);
    if (info.virtualStore) {
        // As ReadProfile decides: a copy that is there, readable or not, is the one read.
        std::string bytes;
        bool exists = false;
        int error = 0;
        const bool read = files.Read(*info.virtualStore, bytes, exists, error);
        info.virtualStoreExists = !read || exists;
    }
    return info;
}

}  // namespace settings
