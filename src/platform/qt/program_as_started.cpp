#include "platform/qt/program_as_started.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace qt {

namespace {

// argv[0] as the program was started, byte for byte.
std::optional<std::string> FirstArgument() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string first;
    if (!in || !std::getline(in, first, '\0') || first.empty()) return std::nullopt;
    return first;
}

bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr || *path == '\0') return false;
    const std::string folders(path);
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

std::string ProgramAsStarted() {
    if (const auto first = FirstArgument()) {
        if (first->find('/') != std::string::npos) return Absolute(*first);
        if (OnPath(*first)) return *first;
    }
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("tavrel-customizer") : self.string();
}

}  // namespace qt
