#include "settings/file_store.h"

#include <cstdint>

namespace settings {
namespace {

StoreFault& Fault() {
    static StoreFault fault;
    return fault;
}

}  // namespace

// ".tc" and eight hex digits of the name's FNV-1a hash: recognisable as this file's, and short.
std::string StagingPrefix(std::string_view fileName) {
    std::uint32_t hash = 2166136261u;
    for (const char c : fileName) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string prefix = ".tc";
    for (int shift = 28; shift >= 0; shift -= 4) prefix.push_back(kHex[(hash >> shift) & 0xF]);
    prefix.push_back('.');
    return prefix;
}

std::string BackupName(std::string_view fileName) {
    return StagingPrefix(fileName) + "bak";
}

void SetStoreFault(StoreFault fault) {
    Fault() = std::move(fault);
}

int StoreFaultAt(StoreStep step, const std::string& target) {
    const StoreFault& fault = Fault();
    return fault ? fault(step, target) : 0;
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error) {
    const SaveInProgress saving;
    StagedFile staged;
    return staged.Prepare(path, bytes, error) && staged.Commit(error);
}

}  // namespace settings
