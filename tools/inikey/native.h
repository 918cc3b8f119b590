#pragma once
// The system's own profile functions, for comparison runs. Only the Windows build has them.
#include <string>

namespace inikey {

// Whether --native can be used in this build.
bool NativeAvailable();

// The absolute form of a path: the system functions take a bare name as one in the Windows folder.
std::string NativeFullPath(const std::string& path);

// GetPrivateProfileStringA with default "" and a 64-character buffer.
std::string NativeGet(const std::string& path, const std::string& section, const std::string& key);

// WritePrivateProfileStringA; on failure returns false with the system's error code.
bool NativeSet(const std::string& path, const std::string& section, const std::string& key,
               const std::string& value, int& error);

// Standard input and output carry bytes untranslated, so output is the same on every platform.
void UseBinaryStandardStreams();

}  // namespace inikey
