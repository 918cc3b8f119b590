#include "settings/store/profile_files.h"

#include "settings/store/file_store.h"

namespace settings::store {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

bool ProfileFiles::Read(const std::string& path, std::string& bytes, bool& exists, int& error) {
    return ReadWholeFile(path, bytes, exists, error);
}

bool ProfileFiles::Open(const std::string& path, StagedFile& staged, std::string& bytes,
                        bool& exists, int& error) {
    return staged.Open(path, bytes, exists, error);
}

bool ProfileFiles::Stage(const std::string& path, std::string_view bytes, StagedFile& staged,
                         int& error) {
    return staged.IsOpen() ? staged.Prepare(bytes, error) : staged.Prepare(path, bytes, error);
}

bool ProfileFiles::CreateFolders(const std::string& folder, int& error) {
    return settings::store::CreateFolders(folder, error);
}

std::optional<std::string> ProfileFiles::VirtualStoreCopy(const std::string& path) {
    return PlatformVirtualStoreCopy(path);
}

bool ProfileFiles::VirtualizationAllowed() {
    return PlatformVirtualizationAllowed();
}

std::string ReadProfile(ProfileFiles& files, const std::string& path) {
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
    ProfileFiles& files = *m_files;
    m_path = path;
    m_writes.clear();
    m_copy = files.VirtualStoreCopy(path);
    m_copyExists = false;
    bool exists = false;
    if (m_copy) {
        // A copy that is there but cannot be read fails the save, as the real file does.
        if (!files.Open(*m_copy, m_copyOpen, m_copyBytes, exists, error)) return false;
        m_copyExists = exists;
    }
    m_realReadable = files.Open(m_path, m_realOpen, m_realBytes, exists, error);
    if (m_realReadable) return true;
    // Beside an existing copy the real file is a courtesy: one it may not read is left alone.
    if (m_copyExists && IsAccessDenied(error)) return true;
    return false;
}

bool ProfileSave::Add(const std::string& path, const std::string& bytes, bool optional,
                      StagedFile& opened, int& error) {
    Write write{path, optional, std::move(opened), false};
    if (!m_files->Stage(path, bytes, write.staged, error)) return false;
    m_writes.push_back(std::move(write));
    return true;
}

bool ProfileSave::StageWrites(int& error) {
    m_writes.clear();
    ProfileFiles& files = *m_files;
    // A copy only exists where there is a copy's path; saying so lets the checker see it too.
    if (m_copyExists && m_copy.has_value()) {
        if (!Add(*m_copy, m_copyBytes, false, m_copyOpen, error)) return false;
        int realError = 0;
        if (m_realReadable && !Add(m_path, m_realBytes, true, m_realOpen, realError) &&
            !IsAccessDenied(realError)) {
            error = realError;
            m_writes.clear();
            return false;
        }
        return true;
    }
    if (Add(m_path, m_realBytes, false, m_realOpen, error)) {
        return true;
    }
    if (!IsAccessDenied(error) || !m_copy || !files.VirtualizationAllowed()) return false;
    const std::string folder = FolderOf(*m_copy);
    if (!folder.empty() && !files.CreateFolders(folder, error)) return false;
    return Add(*m_copy, m_realBytes, false, m_copyOpen, error);
}

bool ProfileSave::Commit(int& error) {
    for (Write& write : m_writes) {
        if (write.staged.Commit(error)) {
            write.committed = true;
        } else if (!write.optional || !IsAccessDenied(error)) {
            Undo();
            return false;
        }
    }
    return true;
}

// Best effort: each file goes back to the bytes it held, or away when the save created it,
// through the stage that still holds it; one another program changed since is left alone. The
// error that made the save fail is the one reported. The stages live on until the save ends.
void ProfileSave::Undo() {
    for (auto write = m_writes.rbegin(); write != m_writes.rend(); ++write) {
        if (!write->committed) continue;
        write->committed = false;
        int error = 0;
        write->staged.Undo(error);
    }
}

}  // namespace settings::store

namespace settings::store {

ProfileCopies WhichProfileCopy(ProfileFiles& files, const std::string& path) {
    ProfileCopies copies;
    copies.path = path;
    copies.virtualStore = files.VirtualStoreCopy(path);
    if (copies.virtualStore) {
        // As ReadProfile decides: a copy that is there, readable or not, is the one read.
        std::string bytes;
        bool exists = false;
        int error = 0;
        const bool read = files.Read(*copies.virtualStore, bytes, exists, error);
        copies.virtualStoreExists = !read || exists;
    }
    copies.backup =
        FindBackup(copies.virtualStoreExists && copies.virtualStore ? *copies.virtualStore : path);
    return copies;
}

}  // namespace settings::store
