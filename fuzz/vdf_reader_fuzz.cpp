// Steam's libraryfolders.vdf comes from folders anyone can write; its reader must survive any
// bytes. Checked: no block is nested deeper than the reader allows, and what it reads, written
// back in the format, reads back the same (one input in four, as it parses once more).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "settings/prefixes/vdf_reader.h"

namespace {

using settings::prefixes::VdfNode;

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        switch (c) {
            case '\\':
                out.append("\\\\");
                break;
            case '"':
                out.append("\\\"");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\t':
                out.append("\\t");
                break;
            default:
                out.push_back(c);
        }
    }
    out.push_back('"');
}

void Write(const std::vector<VdfNode>& nodes, std::string& out) {
    for (const VdfNode& node : nodes) {
        AppendQuoted(out, node.key);
        out.push_back(' ');
        if (node.isBlock) {
            out.append("{\n");
            Write(node.children, out);
            out.append("}\n");
        } else {
            AppendQuoted(out, node.value);
            out.push_back('\n');
        }
    }
}

bool Same(const std::vector<VdfNode>& a, const std::vector<VdfNode>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].key != b[i].key || a[i].value != b[i].value || a[i].isBlock != b[i].isBlock ||
            !Same(a[i].children, b[i].children)) {
            return false;
        }
    }
    return true;
}

int Depth(const std::vector<VdfNode>& nodes) {
    int deepest = 0;
    for (const VdfNode& node : nodes) {
        if (node.isBlock) deepest = std::max(deepest, 1 + Depth(node.children));
    }
    return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view bytes = fuzz::Bytes(data, size);
    using namespace settings::prefixes;
    using fuzz::Check;

    const auto nodes = ParseVdf(bytes);
    const std::vector<std::string> folders = SteamLibraryFolders(bytes);
    if (!nodes) {
        Check(folders.empty());
        return 0;
    }
    Check(Depth(*nodes) <= kMaxVdfDepth);
    for (const VdfNode& node : *nodes) static_cast<void>(node.Find("path"));
    if (fuzz::Pick(bytes) % 4 != 0) return 0;
    std::string written;
    Write(*nodes, written);
    const auto again = ParseVdf(written);
    Check(again && Same(*nodes, *again));
    return 0;
}
