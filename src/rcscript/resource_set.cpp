#include "rcscript/resource_set.h"

#include <string>
#include <vector>

#include "rcscript/embedded_script.h"
#include "rcscript/script_text.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

using rcscript::EqualsNoCase;

const ResourceSet& ResourceSet::Program() {
    static const ResourceSet program = Parse(kResourceScript, kResourceHeader);
    return program;
}

const DialogTemplate* ResourceSet::FindDialog(unsigned id) const {
    for (const DialogTemplate& d : m_dialogs) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

std::vector<DialogInitEntry> ResourceSet::DialogInit(unsigned dialogId) const {
    for (const auto& [id, entries] : m_dialogInit) {
        if (id == dialogId) return entries;
    }
    return {};
}

std::string ResourceSet::String(unsigned id) const {
    for (const auto& [stringId, text] : m_strings) {
        if (stringId == id) return text;
    }
    return {};
}

std::string ResourceSet::IconFile(unsigned id) const {
    for (const auto& [iconId, file] : m_icons) {
        if (iconId == id) return file;
    }
    return {};
}

std::string VersionInfo::Value(std::string_view name) const {
    for (const auto& [key, value] : strings) {
        if (EqualsNoCase(key, name)) return value;
    }
    return {};
}

}  // namespace rcscript
