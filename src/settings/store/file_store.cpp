#include "settings/store/file_store.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace settings::store {
namespace {

constexpr std::uint64_t kPiece = 4096;  // the block a torn write is made of
constexpr char kMagic[8] = {'T', 'C', 'B', 'A', 'K', 'R', 'E', 'C'};
constexpr std::size_t kFooterSize = 4 * 8;  // old size, new size, check, magic

// Pieces run from block boundary to block boundary, with one more cut at the old content's end:
// past it a torn write may have left anything.
std::uint64_t NextCut(std::uint64_t at, std::uint64_t oldSize) {
    const std::uint64_t block = (at / kPiece + 1) * kPiece;
    return at < oldSize && oldSize < block ? oldSize : block;
}

std::uint64_t Hash(std::string_view bytes) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    for (; at < bytes.size(); ++at) {
        h = (h ^ static_cast<unsigned char>(bytes[at])) * 0xC4CEB9FE1A85EC53ull;
    }
    h ^= h >> 32;
    return h;
}

void PutWord(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetWord(std::string_view in, std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint64_t PieceCount(std::uint64_t oldSize, std::uint64_t newSize) {
    std::uint64_t count = 0;
    for (std::uint64_t at = 0; at < newSize; at = std::min(NextCut(at, oldSize), newSize)) ++count;
    return count;
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

std::string BackupWithRecord(std::string_view oldBytes, std::string_view newBytes) {
    const std::uint64_t oldSize = oldBytes.size();
    const std::uint64_t newSize = newBytes.size();
    std::string out;
    out.reserve(static_cast<std::size_t>(oldSize + 8 * PieceCount(oldSize, newSize) + kFooterSize));
    out.append(oldBytes);
    for (std::uint64_t at = 0; at < newSize;) {
        const std::uint64_t end = std::min(NextCut(at, oldSize), newSize);
        // Offsets inside a string: they fit a 32-bit size_t.
        PutWord(out, Hash(newBytes.substr(static_cast<std::size_t>(at),
                                          static_cast<std::size_t>(end - at))));
        at = end;
    }
    PutWord(out, oldSize);
    PutWord(out, newSize);
    PutWord(out, Hash(std::string_view(out).substr(oldBytes.size())));
    out.append(kMagic, sizeof kMagic);
    return out;
}

BackupContent ReadBackupRecord(std::string_view backup) {
    BackupContent content;
    content.oldBytes = backup;
    if (backup.size() < kFooterSize ||
        std::memcmp(backup.data() + backup.size() - 8, kMagic, 8) != 0) {
        return content;
    }
    const std::size_t footer = backup.size() - kFooterSize;
    const std::uint64_t oldSize = GetWord(backup, footer);
    const std::uint64_t newSize = GetWord(backup, footer + 8);
    if (oldSize > footer || newSize > kMaxFileBytes) return content;
    const std::uint64_t pieces = PieceCount(oldSize, newSize);
    if (oldSize + 8 * pieces != footer) return content;
    const std::size_t recordAt = static_cast<std::size_t>(oldSize);
    if (Hash(backup.substr(recordAt, footer + 16 - recordAt)) != GetWord(backup, footer + 16)) {
        return content;
    }
    content.oldBytes = backup.substr(0, recordAt);
    content.recorded = true;
    content.newSize = newSize;
    content.hashes = backup.substr(recordAt, static_cast<std::size_t>(8 * pieces));
    return content;
}

FileJudgement JudgeAgainstBackup(std::string_view file, const BackupContent& backup) {
    const std::uint64_t oldSize = backup.oldBytes.size();
    const std::uint64_t newSize = backup.newSize;
    const std::uint64_t fileSize = file.size();
    if (!backup.recorded) return FileJudgement::kTorn;

    // The new content's pieces, in order, match the file's where both have them.
    bool wholeNew = fileSize == newSize;
    // The rewrite never makes the file longer than the longer content: anything longer was
    // added since, say a section another program appended after a crash.
    bool torn = fileSize <= std::max(oldSize, newSize);
    std::size_t piece = 0;
    for (std::uint64_t at = 0; at < fileSize && (torn || wholeNew);) {
        const std::uint64_t cut = NextCut(at, oldSize);
        const std::uint64_t newEnd = std::min(cut, newSize);
        const std::uint64_t end = std::min({cut, fileSize, newSize > at ? newEnd : cut});
        // Offsets inside the file's bytes: they fit a 32-bit size_t.
        const auto from = static_cast<std::size_t>(at);
        const auto length = static_cast<std::size_t>(end - at);
        const std::string_view bytes = file.substr(from, length);
        const bool isNew =
            at < newSize && end == newEnd && Hash(bytes) == GetWord(backup.hashes, 8 * piece);
        wholeNew = wholeNew && isNew;
        if (at < oldSize && !isNew) {
            torn = torn && bytes == backup.oldBytes.substr(from, length);
        }
        if (at < newSize) ++piece;
        at = end;
    }
    if (wholeNew) return FileJudgement::kWholeNew;
    return torn ? FileJudgement::kTorn : FileJudgement::kOther;
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error) {
    const SaveInProgress saving;
    StagedFile staged;
    return staged.Prepare(path, bytes, error) && staged.Commit(error);
}

}  // namespace settings::store
