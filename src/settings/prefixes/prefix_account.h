#pragma once
// How a match was found, as the lookup's account records it.
#include "settings/locate/lookup_account.h"
#include "settings/prefixes/prefix_registry.h"

namespace settings::prefixes {

// Where a match came from: launcher file and entry, prefix, registry key.
locate::FoundHow HowFound(const GameFolderMatch& match);

// The account of a lookup that ended at `match`.
void DescribeMatch(const GameFolderMatch& match, locate::LookupAccount& account);

}  // namespace settings::prefixes
