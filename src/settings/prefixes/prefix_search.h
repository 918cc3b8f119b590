#pragma once
// Finding the game's folder in the Wine prefixes of the current user: every prefix of the search
// order (search_order.h) in turn, the game's key read in each (prefix_registry.h). The first
// prefix whose registry holds the value and whose folder exists wins; when no such folder
// exists, the first prefix that holds a usable value does.
#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/locate/lookup_account.h"
#include "settings/prefixes/prefix_account.h"
#include "settings/prefixes/prefix_registry.h"
#include "settings/prefixes/search_order.h"

namespace settings::prefixes {

// With `account`, the search writes down what it does: the places passed over and why, and
// for the match the facts F1 shows.
std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName,
                                              locate::LookupAccount* account = nullptr);

// Every prefix's match whose folder exists, in the search order, where FindGameFolder stops at
// the first. The deadline is checked between prefixes and while a registry is read;
// `incomplete` says that it stopped the search.
std::vector<GameFolderMatch> FindAllGameFolders(const Environment& env, std::string_view keyPath,
                                                std::string_view valueName,
                                                std::chrono::steady_clock::time_point deadline,
                                                bool& incomplete);

// FindGameFolder that remembers the prefix where the folder was found and asks that prefix
// first next time (its registry is read again and the path built afresh). When the remembered
// prefix no longer leads to an existing folder, it is forgotten and every prefix is searched
// again. A search that finds no existing folder is not remembered.
class GameFolderSearch {
public:
    std::optional<GameFolderMatch> Find(const Environment& env, std::string_view keyPath,
                                        std::string_view valueName,
                                        locate::LookupAccount* account = nullptr);

private:
    std::optional<PrefixCandidate> m_prefix;
};

}  // namespace settings::prefixes
