#include "settings/store/file_store.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/numeric_text.h"

namespace settings::store {
namespace {

constexpr std::uint64_t kPiece = 4096;  // the block a torn write is made of
// The record as the first release wrote it, a hash of each piece of the new content, and as
// it is written now, the new content itself as far as it differs from the old.
constexpr char kHashesMagic[8] = {'T', 'C', 'B', 'A', 'K', 'R', 'E', 'C'};
constexpr char kNewBytesMagic[8] = {'T', 'C', 'B', 'A', 'K', 'R', 'C', '2'};
constexpr std::size_t kHashesFooter = 4 * 8;    // old size, new size, check, magic
constexpr std::size_t kNewBytesFooter = 6 * 8;  // prefix, suffix, old size, new size, check, magic

// Pieces run from block boundary to block boundary, with one more cut at each content's end: a
// torn rewrite never leaves a piece part old and part new, nor a size between two cuts.
std::uint64_t NextCut(std::uint64_t at, std::uint64_t oldSize, std::uint64_t newSize) {
    std::uint64_t cut = (at / kPiece + 1) * kPiece;
    if (at < oldSize) cut = std::min(cut, oldSize);
    if (at < newSize) cut = std::min(cut, newSize);
    return cut;
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
    for (std::uint64_t at = 0; at < newSize; at = NextCut(at, oldSize, newSize)) ++count;
    return count;
}

bool HasMagic(std::string_view backup, const char (&magic)[8], std::size_t footer) {
    return backup.size() >= footer &&
           std::memcmp(backup.data() + backup.size() - 8, magic, sizeof magic) == 0;
}

// The first release's record: the new content known by the hashes of its pieces.
BackupContent ReadHashesRecord(std::string_view backup, BackupContent content) {
    const std::size_t footer = backup.size() - kHashesFooter;
    const std::uint64_t oldSize = GetWord(backup, footer);
    const std::uint64_t newSize = GetWord(backup, footer + 8);
    if (oldSize > footer || newSize > kMaxFileBytes) return content;
    const std::uint64_t pieces = PieceCount(oldSize, newSize);
    if (oldSize + 8 * pieces != footer) return content;
    const auto recordAt = static_cast<std::size_t>(oldSize);
    if (Hash(backup.substr(recordAt, footer + 16 - recordAt)) != GetWord(backup, footer + 16)) {
        return content;
    }
    content.oldBytes = backup.substr(0, recordAt);
    content.recorded = true;
    content.newSize = newSize;
    content.hashes = backup.substr(recordAt, static_cast<std::size_t>(8 * pieces));
    return content;
}

// What one piece of the file shows. A rewrite leaves each piece wholly old, new or (past the
// old end) zeros; bytes of no state, or of a second one, are another program's.
struct Piece {
    std::uint64_t at = 0;
    std::uint64_t cut = 0;
    bool partial = false;  // the file ends inside it, which no rewrite leaves
    bool foreign = false;
    bool isNew = false;  // all of it is the new content's
    // The state it shows where the two contents differ.
    bool old = false;
    bool fresh = false;
    bool zeros = false;
};

// Byte by byte. The state most of its telling bytes show is the piece's; where most of them
// are of no state, the few that match one by chance tell nothing.
Piece ByBytes(std::string_view file, std::string_view oldBytes, std::string_view newBytes,
              std::size_t at, std::size_t cut) {
    Piece piece{at, cut};
    const std::size_t stop = std::min(cut, file.size());
    piece.partial = stop < cut;
    std::size_t asOld = 0, asNew = 0, asZero = 0, none = 0;
    bool allNew = cut <= newBytes.size() && !piece.partial;
    for (std::size_t i = at; i < stop; ++i) {
        const char c = file[i];
        const bool isOld = i < oldBytes.size() && c == oldBytes[i];
        const bool isNew = i < newBytes.size() && c == newBytes[i];
        allNew = allNew && isNew;
        if (isOld != isNew) {
            ++(isOld ? asOld : asNew);
        } else if (!isOld && i >= oldBytes.size() && c == '\0') {
            ++asZero;
        } else if (!isOld) {
            ++none;
        }
    }
    const std::size_t telling = asOld + asNew + asZero;
    const std::size_t most = std::max({asOld, asNew, asZero});
    piece.foreign = none > 0 || telling > most;
    piece.isNew = allNew;
    if (most > 0 && 2 * most >= telling + none) {
        piece.old = most == asOld;
        piece.fresh = most == asNew;
        piece.zeros = most == asZero;
    }
    return piece;
}

// Whole pieces only, for the first release's record: a piece of neither content tells nothing.
Piece ByHashes(std::string_view file, const BackupContent& backup, std::uint64_t at,
               std::uint64_t cut, std::size_t index) {
    Piece piece{at, cut};
    piece.partial = cut > file.size();
    if (piece.partial) {
        piece.foreign = true;
        return piece;
    }
    // Offsets inside the file's bytes: they fit a 32-bit size_t.
    const auto from = static_cast<std::size_t>(at);
    const auto length = static_cast<std::size_t>(cut - at);
    const std::string_view bytes = file.substr(from, length);
    const bool isOld =
        cut <= backup.oldBytes.size() && bytes == backup.oldBytes.substr(from, length);
    piece.isNew = cut <= backup.newSize && Hash(bytes) == GetWord(backup.hashes, 8 * index);
    const bool isZero =
        at >= backup.oldBytes.size() && bytes.find_first_not_of('\0') == std::string_view::npos;
    piece.foreign = !(isOld || piece.isNew || isZero);
    piece.old = isOld && !piece.isNew;
    piece.fresh = piece.isNew && !isOld;
    piece.zeros = isZero && !piece.isNew;
    return piece;
}

// The sizes a rewrite leaves a file at: the old, the new, and between them (a longer file
// written in part) the block boundaries.
bool RewriteLeavesSize(std::uint64_t size, std::uint64_t oldSize, std::uint64_t newSize) {
    return size == oldSize || size == newSize ||
           (oldSize < size && size < newSize && size % kPiece == 0);
}

// A file another program changed is judged by what the rest shows. Pieces of both contents, or
// zeros, are a torn rewrite. Otherwise the change is taken to be made to a whole content where
// it can be: in place, at that content's size, or appended to it. Else a size a rewrite leaves,
// of the file or of what is there before the change, is a torn rewrite's.
FileJudgement Verdict(std::string_view file, std::string_view oldBytes, std::uint64_t newSize,
                      const std::vector<Piece>& pieces) {
    const std::uint64_t oldSize = oldBytes.size();
    const std::uint64_t end = std::max(oldSize, newSize);
    std::uint64_t clean = std::min<std::uint64_t>(file.size(), end);  // where a change starts
    std::uint64_t allNew = clean;  // where the new content's pieces end
    bool old = false, fresh = false, zeros = false;
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        if (piece->partial || piece->foreign) clean = piece->at;
        if (!piece->isNew) allNew = piece->at;
        old = old || piece->old;
        fresh = fresh || piece->fresh;
        zeros = zeros || piece->zeros;
    }
    if (clean == file.size()) return FileJudgement::kTorn;
    if (zeros || (old && fresh)) return FileJudgement::kTornAndChanged;
    // Edited where it lies: the size is the one of the content the file shows.
    const std::uint64_t size = file.size();
    if (old ? size == oldSize : !fresh || size == newSize) return FileJudgement::kChanged;
    // Appended to: whole up to where the change starts.
    bool torn = size <= end && RewriteLeavesSize(size, oldSize, newSize);
    for (const Piece& piece : pieces) {
        const std::uint64_t cut = piece.cut;
        if (cut > clean || !RewriteLeavesSize(cut, oldSize, newSize)) continue;
        if ((cut == newSize && allNew >= cut) ||
            (cut == oldSize && file.substr(0, oldBytes.size()) == oldBytes)) {
            return FileJudgement::kChanged;
        }
        torn = true;
    }
    return torn ? FileJudgement::kTornAndChanged : FileJudgement::kChanged;
}

std::string NewBytesOf(const BackupContent& backup) {
    const std::string_view old = backup.oldBytes;
    std::string bytes(old.substr(0, static_cast<std::size_t>(backup.prefix)));
    bytes.append(backup.middle);
    bytes.append(old.substr(old.size() - static_cast<std::size_t>(backup.suffix)));
    return bytes;
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

std::string KeptCopyName(std::string_view fileName, int number) {
    std::string name(fileName);
    name.append(".before-repair");
    if (number > 1) name.append("-").append(base::FormatInt(number));
    return name;
}

bool IsKeptCopyName(std::string_view fileName, std::string_view name) {
    const std::string first = KeptCopyName(fileName, 1);
    if (name.substr(0, first.size()) != first) return false;
    const std::string_view rest = name.substr(first.size());
    return rest.empty() || (rest.size() > 1 && rest[0] == '-' &&
                            rest.find_first_not_of("0123456789", 1) == std::string_view::npos);
}

bool TrustBackup(const BackupMaker& maker, GroupMembership isMember) {
    if (!maker.regularFile || maker.links != 1) return false;
    if (maker.owner == 0 || (maker.owner == maker.us && maker.weMayWrite)) return true;
    if (!maker.fileExists) return false;
    return maker.owner == maker.fileOwner ||
           (maker.groupMayWrite && isMember(maker.owner, maker.fileGroup));
}

// The new content is kept as far as it differs from the old: what lies between the prefix and
// the suffix the two share. A save's keys change one stretch of the file, so the backup is
// hardly larger than the old content.
std::string BackupWithRecord(std::string_view oldBytes, std::string_view newBytes) {
    const std::size_t shortest = std::min(oldBytes.size(), newBytes.size());
    std::size_t prefix = 0;
    while (prefix < shortest && oldBytes[prefix] == newBytes[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < shortest - prefix &&
           oldBytes[oldBytes.size() - 1 - suffix] == newBytes[newBytes.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string_view middle = newBytes.substr(prefix, newBytes.size() - prefix - suffix);
    std::string out;
    out.reserve(oldBytes.size() + middle.size() + kNewBytesFooter);
    out.append(oldBytes);
    out.append(middle);
    PutWord(out, prefix);
    PutWord(out, suffix);
    PutWord(out, oldBytes.size());
    PutWord(out, newBytes.size());
    PutWord(out, Hash(std::string_view(out).substr(oldBytes.size())));
    out.append(kNewBytesMagic, sizeof kNewBytesMagic);
    return out;
}

BackupContent ReadBackupRecord(std::string_view backup) {
    BackupContent content;
    content.oldBytes = backup;
    if (HasMagic(backup, kHashesMagic, kHashesFooter)) return ReadHashesRecord(backup, content);
    if (!HasMagic(backup, kNewBytesMagic, kNewBytesFooter)) return content;
    const std::size_t footer = backup.size() - kNewBytesFooter;
    const std::uint64_t prefix = GetWord(backup, footer);
    const std::uint64_t suffix = GetWord(backup, footer + 8);
    const std::uint64_t oldSize = GetWord(backup, footer + 16);
    const std::uint64_t newSize = GetWord(backup, footer + 24);
    if (oldSize > footer || newSize > kMaxFileBytes || prefix > std::min(oldSize, newSize) ||
        suffix > std::min(oldSize, newSize) - prefix ||
        oldSize + (newSize - prefix - suffix) != footer) {
        return content;
    }
    const auto recordAt = static_cast<std::size_t>(oldSize);
    if (Hash(backup.substr(recordAt, footer + 32 - recordAt)) != GetWord(backup, footer + 32)) {
        return content;
    }
    content.oldBytes = backup.substr(0, recordAt);
    content.recorded = true;
    content.newSize = newSize;
    content.newKnown = true;
    content.prefix = prefix;
    content.suffix = suffix;
    content.middle = backup.substr(recordAt, footer - recordAt);
    return content;
}

FileJudgement JudgeAgainstBackup(std::string_view file, const BackupContent& backup) {
    if (!backup.recorded) return FileJudgement::kTorn;
    if (file == backup.oldBytes) return FileJudgement::kOld;
    const std::uint64_t oldSize = backup.oldBytes.size();
    const std::uint64_t end = std::max(oldSize, backup.newSize);
    std::vector<Piece> pieces;
    if (backup.newKnown) {
        const std::string newBytes = NewBytesOf(backup);
        if (file == newBytes) return FileJudgement::kWholeNew;
        for (std::uint64_t at = 0; at < std::min<std::uint64_t>(file.size(), end);) {
            const std::uint64_t cut = NextCut(at, oldSize, backup.newSize);
            pieces.push_back(ByBytes(file, backup.oldBytes, newBytes, static_cast<std::size_t>(at),
                                     static_cast<std::size_t>(cut)));
            at = cut;
        }
        return Verdict(file, backup.oldBytes, backup.newSize, pieces);
    }
    bool wholeNew = file.size() == backup.newSize;
    for (std::uint64_t at = 0; at < std::min<std::uint64_t>(file.size(), end);) {
        const std::uint64_t cut = NextCut(at, oldSize, backup.newSize);
        pieces.push_back(ByHashes(file, backup, at, cut, pieces.size()));
        wholeNew = wholeNew && pieces.back().isNew;
        at = cut;
    }
    return wholeNew ? FileJudgement::kWholeNew
                    : Verdict(file, backup.oldBytes, backup.newSize, pieces);
}

bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error) {
    const SaveInProgress saving;
    StagedFile staged;
    return staged.Prepare(path, bytes, error) && staged.Commit(error);
}

}  // namespace settings::store
