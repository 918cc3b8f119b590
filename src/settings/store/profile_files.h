#pragma once
// Which copy of a profile file is read and written.
//
// Windows virtualizes the file access of an old program without a manifest that a standard user
// runs: a write under Program Files, the Windows folder or ProgramData that is denied goes to a
// per-user copy, %LOCALAPPDATA%\VirtualStore\<the path without its drive>, and from then on the
// program reads that copy. The game is such a program; this one is not, so it follows the same
// rule itself: it reads the copy the game reads, writes it, and creates it when Windows would.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/store/file_store.h"

namespace settings::store {

// The file and folder operations the rule needs, replaceable so tests can make them fail.
// Error codes are the platform's, as in file_store.h.
class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;
    virtual bool Read(const std::string& path, std::string& bytes, bool& exists, int& error);
    // Locks the file for a save and reads it (StagedFile::Open).
    virtual bool Open(const std::string& path, StagedFile& staged, std::string& bytes, bool& exists,
                      int& error);
    // Prepares the file's replacement (file_store.h), on the stage Open made when there is one;
    // the caller commits it.
    virtual bool Stage(const std::string& path, std::string_view bytes, StagedFile& staged,
                       int& error);
    virtual bool CreateFolders(const std::string& folder, int& error);
    // The file's VirtualStore copy, or std::nullopt when the file is not under a virtualized
    // folder (always on platforms without one).
    virtual std::optional<std::string> VirtualStoreCopy(const std::string& path);
    // False only when the system says virtualization is off for this user.
    virtual bool VirtualizationAllowed();
};

// The platform's answers behind the default ProfileFiles (src/platform/*/services).
std::optional<std::string> PlatformVirtualStoreCopy(const std::string& path);
bool PlatformVirtualizationAllowed();

// The bytes Load reads: the VirtualStore copy when it exists, else the file itself. A copy that
// exists but cannot be read is still the one the game would read: it reads as empty, as an
// unreadable file does.
std::string ReadProfile(ProfileFiles& files, const std::string& path);

// One file's save, in three steps so that a save of several files can make all of them ready
// before it replaces any: Prepare locks and reads what the save needs; Stage applies the keys to
// each copy that gets them and prepares its replacement; Commit replaces them, and Undo puts back
// what a Commit replaced, from the bytes Prepare read. Each file stays held against other
// instances until the ProfileSave ends, so that an Undo never overwrites their saves.
//  - The keys go to the copy Load reads, and that write must succeed.
//  - When the VirtualStore copy exists, the real file gets them too, after it; access denied
//    there is no failure (a standard user cannot write it, an elevated game still reads it).
//  - When it does not exist and writing the real file is denied, the file is virtualized and the
//    system allows virtualization, the copy is created (with its folders) from the real file's
//    bytes with the keys applied, as Windows does for the game.
// A failed Commit undoes its own replacements before it returns.
class ProfileSave {
public:
    explicit ProfileSave(ProfileFiles& files) : m_files(&files) {}
    bool Prepare(const std::string& path, int& error);
    template <class Edit>
    bool Stage(Edit&& edit, int& error) {
        if (m_copyExists) edit(m_copyBytes);
        if (m_realReadable) edit(m_realBytes);
        return StageWrites(error);
    }
    bool Commit(int& error);
    void Undo();

private:
    struct Write {
        std::string path;
        bool optional;  // access denied at any step is no failure
        StagedFile staged;
        bool committed = false;
    };
    bool StageWrites(int& error);
    bool Add(const std::string& path, const std::string& bytes, bool optional, StagedFile& opened,
             int& error);

    ProfileFiles* m_files;
    std::string m_path;
    std::optional<std::string> m_copy;
    StagedFile m_copyOpen;  // each file locked from Prepare on, so the bytes read are replaced
    StagedFile m_realOpen;
    bool m_copyExists = false;
    std::string m_copyBytes;
    bool m_realReadable = false;
    std::string m_realBytes;
    std::vector<Write> m_writes;
};

}  // namespace settings::store

namespace settings::store {

// One profile file as Load reads it, for telling the player: its path, its VirtualStore copy
// (when the file has one) and whether that copy exists, and what lies beside the copy read: its
// backup and the files kept as found. Reads nothing but what is there.
struct ProfileCopies {
    std::string path;
    std::optional<std::string> virtualStore;
    bool virtualStoreExists = false;
    BackupReport backup;
};
ProfileCopies WhichProfileCopy(ProfileFiles& files, const std::string& path);

}  // namespace settings::store
