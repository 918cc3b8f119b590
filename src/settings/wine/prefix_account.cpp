#include "settings/wine/prefix_account.h"

#include "settings/wine/windows_path.h"

namespace settings::wine {

namespace {

// The launcher, and the file and entry that named the prefix.
std::string Through(const PrefixOrigin& origin) {
    std::string through = origin.launcher;
    if (!origin.file.empty()) {
        through += ", ";
        if (!origin.entry.empty()) through += "game \"" + origin.entry + "\" in ";
        through += Utf8FromPath(origin.file);
    }
    return through;
}

const char* ViewName(const GameFolderMatch& match) {
    const bool wow = match.keyView.find("\\Wow6432Node\\") != std::string::npos;
    return wow ? "32-bit view" : "native view";
}

}  // namespace

void DescribeMatch(const GameFolderMatch& match, LookupAccount& account) {
    account.found = match.exists;
    account.gameFolder = Utf8FromPath(match.folder);
    account.how.clear();
    account.how.push_back("Found through: " + Through(match.origin));
    account.how.push_back("Wine prefix: " + Utf8FromPath(match.prefix));
    account.how.push_back("Registry: HKEY_LOCAL_MACHINE\\" + match.keyView + ", value Path (" +
                          ViewName(match) + "), in " + Utf8FromPath(match.prefix / "system.reg"));
    account.how.push_back("Stored as: " + match.windowsPath);
}

std::string DescribeMatchBriefly(const GameFolderMatch& match) {
    return Through(match.origin) + "; prefix " + Utf8FromPath(match.prefix) + "; " +
           ViewName(match);
}

}  // namespace settings::wine
