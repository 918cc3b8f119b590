#pragma once
// What the readers of a Wine registry file must do with any bytes, checked by the registry
// fuzzer on every input and by the test of its seed files
// (tests/settings/wine_registry_corpus_test.cpp) on every seed and every cut of it. Each
// property is told to `check(holds, what)`.
//
// The header-only read of "#arch" agrees with the whole file's; a read that keeps only one view
// of the game's key accepts the same files as the whole read, finds in that key what the whole
// file holds and keeps no other key (`reparse`: it parses the file again); the game's folder as
// the lookup reads it, and the bytes themselves as a stored folder, come out of the path
// normalisation in a form that normalises to itself.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_registry.h"
#include "settings/wine/registry_file.h"
#include "settings/wine/windows_path.h"

namespace fuzz {

// A stored folder as ParseWindowsPath gives it: no component is empty, "." or ".." or holds a
// separator, and written out again ("d:\a\b") it parses to itself.
template <class Check>
void CheckStoredFolder(std::string_view text, Check&& check) {
    using settings::wine::ParseWindowsPath;
    const auto path = ParseWindowsPath(text);
    if (!path) return;
    std::string written = std::string(1, path->drive) + ":";
    for (const std::string& component : path->components) {
        check(!component.empty() && component != "." && component != ".." &&
                  component.find_first_of("\\/") == std::string::npos,
              "a folder's components are names");
        written += "\\" + component;
    }
    if (path->components.empty()) written += "\\";
    const auto again = ParseWindowsPath(written);
    check(again && again->drive == path->drive && again->components == path->components,
          "a normalised folder normalises to itself");
}

template <class Check>
void CheckRegistryReaders(std::string_view bytes, bool reparse, Check&& check) {
    using namespace settings::wine;
    using settings::locate::kGameRegistryKey;
    using settings::locate::kGameRegistryValue;

    const std::optional<RegistryFile> file = RegistryFile::Parse(bytes);
    check(ReadRegistryArch(bytes) == (file ? file->GetArch() : Arch::Unknown),
          "the header's #arch reads as the whole file's");
    if (reparse) {
        for (const std::string& view : settings::prefixes::MachineKeyViews(
                 kGameRegistryKey, file ? file->GetArch() : Arch::Unknown)) {
            const std::string_view only[] = {view};
            const std::optional<RegistryFile> kept = RegistryFile::Parse(bytes, only);
            check(kept.has_value() == file.has_value(), "a read of one key takes the same files");
            if (!kept || !file) continue;
            check(kept->FindString(view, kGameRegistryValue) ==
                      file->FindString(view, kGameRegistryValue),
                  "a read of one key finds what the whole file holds");
            check(kept->FindValue("Software\\Test", "") == nullptr,
                  "a read of one key keeps no other");
        }
    }
    if (const auto folder =
            settings::prefixes::ReadMachineString(bytes, kGameRegistryKey, kGameRegistryValue)) {
        CheckStoredFolder(*folder, check);
    }
    // The same bytes as a stored folder: the path text goes through the same normalisation.
    CheckStoredFolder(bytes.substr(0, 4096), check);
}

}  // namespace fuzz
