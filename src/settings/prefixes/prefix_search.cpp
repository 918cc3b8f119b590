#include "settings/prefixes/prefix_search.h"

#include <string>
#include <utility>

#include "settings/wine/windows_path.h"

namespace settings::prefixes {

std::vector<GameFolderMatch> FindAllGameFolders(const Environment& env, std::string_view keyPath,
                                                std::string_view valueName,
                                                std::chrono::steady_clock::time_point deadline,
                                                bool& incomplete) {
    incomplete = false;
    PrefixList list = BuildPrefixList(env);
    std::vector<GameFolderMatch> matches;
    std::string buffer;
    for (const PrefixCandidate& candidate : list.Found()) {
        if (std::chrono::steady_clock::now() > deadline) {
            incomplete = true;
            break;
        }
        locate::PassedOver why = locate::PassedOver::kNotThere;
        auto match = MatchInPrefix(candidate, keyPath, valueName, buffer, why, deadline);
        if (match && match->exists) {
            matches.push_back(std::move(*match));
        } else if (std::chrono::steady_clock::now() > deadline) {
            // Maybe cut off in the middle of a huge registry.
            incomplete = true;
            break;
        }
    }
    return matches;
}

std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName,
                                              locate::LookupAccount* account) {
    PrefixList list = BuildPrefixList(env);
    const std::vector<PrefixCandidate>& candidates = list.Found();
    const std::vector<locate::LookedPlace>& notes = list.Notes();
    std::size_t noted = 0;
    const auto noteUpTo = [&](std::size_t end) {
        if (account == nullptr) return;
        for (; noted < end; ++noted) account->looked.push_back(notes[noted]);
    };
    std::optional<GameFolderMatch> firstHeld;
    std::string buffer;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        noteUpTo(list.NotesBefore(i));
        locate::PassedOver why = locate::PassedOver::kNotThere;
        auto match = MatchInPrefix(candidates[i], keyPath, valueName, buffer, why);
        if (match && match->exists) {
            if (account != nullptr) DescribeMatch(*match, *account);
            return match;
        }
        if (account != nullptr) {
            account->looked.push_back(
                {candidates[i].origin.launcher, wine::Utf8FromPath(candidates[i].prefix), why});
        }
        if (match && !firstHeld) firstHeld = std::move(match);
    }
    noteUpTo(notes.size());
    return firstHeld;
}

std::optional<GameFolderMatch> GameFolderSearch::Find(const Environment& env,
                                                      std::string_view keyPath,
                                                      std::string_view valueName,
                                                      locate::LookupAccount* account) {
    if (m_prefix) {
        std::string buffer;
        locate::PassedOver why = locate::PassedOver::kNotThere;
        auto match = MatchInPrefix(*m_prefix, keyPath, valueName, buffer, why);
        if (match && match->exists) {
            if (account != nullptr) DescribeMatch(*match, *account);
            return match;
        }
        m_prefix.reset();
    }
    auto match = FindGameFolder(env, keyPath, valueName, account);
    if (match && match->exists) m_prefix = PrefixCandidate{match->prefix, match->origin};
    return match;
}

}  // namespace settings::prefixes
