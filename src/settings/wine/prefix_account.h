#pragma once
// How a match was found, in the words of the lookup's account.
#include <string>

#include "settings/lookup_account.h"
#include "settings/wine/prefix_registry.h"

namespace settings::wine {

// The account's lines for a match: launcher file and entry, prefix, registry key.
void DescribeMatch(const GameFolderMatch& match, LookupAccount& account);

// How a match was found, on one line: the launcher and its file, the prefix, the registry view.
std::string DescribeMatchBriefly(const GameFolderMatch& match);

}  // namespace settings::wine
