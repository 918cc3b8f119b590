#include "settings/prefixes/launcher_configs.h"

#include <yaml-cpp/yaml.h>

#include <exception>
#include <nlohmann/json.hpp>

namespace settings::prefixes {

std::optional<std::vector<std::string>> HeroicWinePrefixes(std::string_view json) {
    // Without exceptions: text that is not JSON gives a discarded value.
    const nlohmann::json config = nlohmann::json::parse(json, nullptr, false);
    if (!config.is_object()) return std::nullopt;
    std::vector<std::string> prefixes;
    for (const nlohmann::json& game : config) {  // the values of the object
        if (!game.is_object()) continue;
        const auto prefix = game.find("winePrefix");
        if (prefix == game.end() || !prefix->is_string()) continue;
        const auto& text = prefix->get_ref<const std::string&>();
        if (!text.empty()) prefixes.push_back(text);
    }
    if (prefixes.empty()) return std::nullopt;
    return prefixes;
}

namespace {

std::optional<std::string> ExpandHome(std::string text, std::string_view home) {
    if (text.empty()) return std::nullopt;
    if (text == "~" || text.starts_with("~/")) {
        if (home.empty()) return std::nullopt;
        text.replace(0, 1, home);
    }
    return text;
}

}  // namespace

std::optional<std::string> LutrisGamePrefix(std::string_view yaml, std::string_view home) {
    std::string prefix;
    try {
        const YAML::Node config = YAML::Load(std::string(yaml));
        if (!config.IsMap()) return std::nullopt;
        const YAML::Node game = config["game"];
        if (!game.IsMap()) return std::nullopt;
        const YAML::Node value = game["prefix"];
        if (!value.IsScalar()) return std::nullopt;
        prefix = value.Scalar();
    } catch (const std::exception&) {
        // yaml-cpp reports syntax errors, and nesting too deep to follow, by throwing.
        return std::nullopt;
    }
    return ExpandHome(std::move(prefix), home);
}

std::optional<std::vector<NamedPrefix>> FaugusGamePrefixes(std::string_view json) {
    const nlohmann::json games = nlohmann::json::parse(json, nullptr, false);
    if (!games.is_array()) return std::nullopt;
    std::vector<NamedPrefix> prefixes;
    for (const nlohmann::json& game : games) {
        if (!game.is_object()) continue;
        const auto prefix = game.find("prefix");
        if (prefix == game.end() || !prefix->is_string()) continue;
        NamedPrefix named{{}, prefix->get<std::string>()};
        if (named.prefix.empty()) continue;
        for (const char* key : {"title", "gameid"}) {
            const auto entry = game.find(key);
            if (entry != game.end() && entry->is_string()) {
                named.entry = entry->get<std::string>();
                break;
            }
        }
        prefixes.push_back(std::move(named));
    }
    return prefixes;
}

std::optional<std::string> PortProtonFolder(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    const std::size_t begin = line.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) return std::nullopt;
    line = line.substr(begin, line.find_last_not_of(" \t\r") + 1 - begin);
    return std::string(line);
}

std::optional<std::string> YamlTopLevelText(std::string_view yaml, const std::string& key) {
    try {
        const YAML::Node config = YAML::Load(std::string(yaml));
        if (!config.IsMap()) return std::nullopt;
        const YAML::Node value = config[key];
        return value.IsScalar() ? value.Scalar() : std::string();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> MinigalaxyInstallDir(std::string_view json, std::string_view home) {
    const nlohmann::json config = nlohmann::json::parse(json, nullptr, false);
    if (!config.is_object()) return std::nullopt;
    const auto folder = config.find("install_dir");
    if (folder == config.end() || !folder->is_string()) return std::string();
    return ExpandHome(folder->get<std::string>(), home).value_or(std::string());
}

}  // namespace settings::prefixes
