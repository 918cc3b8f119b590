#pragma once
// Resources read from a resource script and its id header - the same files the Windows resource
// compiler builds into the executable. Front ends other than Windows lay out their dialogs from
// these templates; every front end hands the program's set (Program()) to its platform, through
// which the dialog layer reaches it.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/dialog_resources.h"
#include "framework/dialog_template.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

class ResourceScriptParser;

struct VersionInfo {
    std::uint16_t fileVersion[4] = {};
    std::uint16_t productVersion[4] = {};
    std::uint32_t fileFlagsMask = 0, fileFlags = 0, fileOs = 0, fileType = 0, fileSubtype = 0;
    std::string stringBlock;  // the StringFileInfo block read, e.g. "040904B0"
    std::vector<std::pair<std::string, std::string>> strings;  // its values, in script order
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // language, code page
    // The string value (case-insensitive name, as the version API matches), or "" if absent.
    std::string Value(std::string_view name) const;
};

class ResourceSet final : public DialogResources {
public:
    // Parses a resource script and its id header. Throws std::runtime_error naming the line on
    // anything it does not understand, so a broken script fails loudly in the tests.
    static ResourceSet Parse(std::string_view script, std::string_view header);
    // The program's own resources (embedded at build time), parsed once.
    static const ResourceSet& Program();

    const DialogTemplate* FindDialog(unsigned id) const override;
    std::vector<DialogInitEntry> DialogInit(unsigned dialogId) const override;
    // The string table entry, or "" when there is none.
    std::string String(unsigned id) const override;
    const VersionInfo& Version() const { return m_version; }
    // The file name of the icon resource `id` as written in the script, relative to res/.
    std::string IconFile(unsigned id) const override;

private:
    friend class ResourceScriptParser;

    std::vector<DialogTemplate> m_dialogs;
    std::vector<std::pair<unsigned, std::vector<DialogInitEntry>>> m_dialogInit;
    std::vector<std::pair<unsigned, std::string>> m_strings;
    std::vector<std::pair<unsigned, std::string>> m_icons;
    VersionInfo m_version;
};

}  // namespace rcscript
