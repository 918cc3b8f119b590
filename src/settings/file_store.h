#pragma once
// Whole-file access for the profile files. Implemented per platform (src/platform/*/services).
// Error codes are the platform's own: errno values on POSIX, GetLastError() values on Windows.
#include <string>
#include <string_view>

namespace settings {

// Profile files are small; anything larger than this is refused (EFBIG / ERROR_FILE_TOO_LARGE)
// rather than read into memory.
inline constexpr unsigned long long kMaxFileBytes = 512ull * 1024 * 1024;

// Reads the whole file. A file that does not exist reads as empty and is no failure
// (`exists` is then false). Any other failure (a directory, no permission, a file larger than
// kMaxFileBytes) returns false.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error);

// Replaces the file's content as a whole: the bytes go to a temporary file beside it, are
// flushed to disk and renamed over the original, which keeps its permissions. A path that is a
// symbolic link stays a link; its target is replaced. A file that does not exist is created.
// On failure the original is exactly as it was and no temporary file is left behind.
bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error);

// Creates the folder and any missing folder above it; one that exists already is no failure.
bool CreateFolders(const std::string& folder, int& error);

// Whether a failure's code says access was denied (ERROR_ACCESS_DENIED; EACCES or EPERM).
bool IsAccessDenied(int error);

// The calling thread's last platform error code (errno or GetLastError), and a way to set it so
// that a failure reported by the store can be shown with its code.
int LastErrorCode();
void SetLastErrorCode(int code);

}  // namespace settings
