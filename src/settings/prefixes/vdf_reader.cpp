#include "settings/prefixes/vdf_reader.h"

#include <algorithm>

#include "base/ascii_case.h"

namespace settings::prefixes {

namespace {

class VdfParser {
public:
    explicit VdfParser(std::string_view text) : m_text(text) {}

    bool ParseEntries(std::vector<VdfNode>& out, int depth) {
        if (depth > kMaxVdfDepth) return false;
        for (;;) {
            SkipSpaceAndComments();
            if (AtEnd()) return depth == 0;
            if (Peek() == '}') {
                if (depth == 0) return false;
                ++m_pos;
                return true;
            }
            VdfNode node;
            if (!ReadString(node.key)) return false;
            SkipSpaceAndComments();
            if (AtEnd()) return false;
            if (Peek() == '{') {
                ++m_pos;
                node.isBlock = true;
                if (!ParseEntries(node.children, depth + 1)) return false;
            } else if (!ReadString(node.value)) {
                return false;
            }
            if (!SkipCondition()) return false;
            out.push_back(std::move(node));
        }
    }

private:
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return m_text[m_pos]; }

    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    void SkipSpaceAndComments() {
        for (;;) {
            while (!AtEnd() && IsSpace(Peek())) ++m_pos;
            if (m_text.substr(m_pos, 2) != "//") return;
            const std::size_t end = m_text.find('\n', m_pos);
            m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
        }
    }

    // A quoted string or a bare word.
    bool ReadString(std::string& out) {
        if (AtEnd() || Peek() == '{' || Peek() == '}') return false;
        if (Peek() != '"') {
            const std::size_t start = m_pos;
            while (!AtEnd() && !IsSpace(Peek()) && Peek() != '{' && Peek() != '}' &&
                   Peek() != '"') {
                ++m_pos;
            }
            out.assign(m_text.substr(start, m_pos - start));
            return true;
        }
        ++m_pos;
        while (!AtEnd() && Peek() != '"') {
            char c = Peek();
            ++m_pos;
            if (c == '\\' && !AtEnd()) {
                const char escaped = Peek();
                ++m_pos;
                if (escaped == 'n') {
                    c = '\n';
                } else if (escaped == 't') {
                    c = '\t';
                } else if (escaped == '\\' || escaped == '"') {
                    c = escaped;
                } else {
                    out.push_back('\\');  // unknown escapes are kept as written
                    c = escaped;
                }
            }
            out.push_back(c);
        }
        if (AtEnd()) return false;  // cut off inside the string
        ++m_pos;
        return true;
    }

    // "[$WIN32]" and the like after a value or block.
    bool SkipCondition() {
        const std::size_t saved = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) ++m_pos;
        if (AtEnd() || Peek() != '[') {
            m_pos = saved;
            return true;
        }
        const std::size_t end = m_text.find(']', m_pos);
        if (end == std::string_view::npos) return false;
        m_pos = end + 1;
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const VdfNode* VdfNode::Find(std::string_view childKey) const {
    for (const VdfNode& child : children) {
        if (base::EqualsNoCase(child.key, childKey)) return &child;
    }
    return nullptr;
}

std::optional<std::vector<VdfNode>> ParseVdf(std::string_view text) {
    std::vector<VdfNode> top;
    VdfParser parser(text);
    if (!parser.ParseEntries(top, 0)) return std::nullopt;
    return top;
}

std::vector<std::string> SteamLibraryFolders(std::string_view text) {
    std::vector<std::string> folders;
    const auto top = ParseVdf(text);
    if (!top) return folders;
    for (const VdfNode& root : *top) {
        if (!root.isBlock || !base::EqualsNoCase(root.key, "libraryfolders")) continue;
        for (const VdfNode& entry : root.children) {
            if (entry.isBlock) {
                const VdfNode* path = entry.Find("path");
                if (path != nullptr && !path->isBlock && !path->value.empty()) {
                    folders.push_back(path->value);
                }
            } else if (AllDigits(entry.key) && !entry.value.empty()) {
                folders.push_back(entry.value);  // the format before 2021
            }
        }
    }
    return folders;
}

}  // namespace settings::prefixes
