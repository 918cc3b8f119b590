#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "native.h"

namespace inikey {

bool NativeAvailable() {
    return true;
}

std::string NativeFullPath(const std::string& path) {
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n + 1);
    }
}

std::string NativeGet(const std::string& path, const std::string& section, const std::string& key) {
    char buffer[64] = {};
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                             sizeof buffer, path.c_str());
    return std::string(buffer, n);
}

bool NativeSet(const std::string& path, const std::string& section, const std::string& key,
               const std::string& value, int& error) {
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) {
        return true;
    }
    error = static_cast<int>(GetLastError());
    return false;
}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace inikey
