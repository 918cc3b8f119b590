#pragma once
// A symbol as a script sees it: the id of a control that names it.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "rcscript/resource_set.h"

namespace rcscript_test {

// The value `name` has at the end of a script and its header, as a control's id that names it;
// nullopt when the reader knows no number by that name.
inline std::optional<int> SymbolValue(std::string_view script, std::string_view header,
                                      std::string_view name) {
    const std::string probe = std::string(script) +
                              "\n65000 DIALOG 0, 0, 9, 9\nBEGIN\n    LTEXT \"\", " +
                              std::string(name) + ", 0, 0, 9, 9\nEND\n";
    try {
        return rcscript::ResourceSet::Parse(probe, header).FindDialog(65000)->items.at(0).id;
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

}  // namespace rcscript_test
