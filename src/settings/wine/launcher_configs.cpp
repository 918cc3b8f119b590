#include "settings/wine/launcher_configs.h"

#include <yaml-cpp/yaml.h>

#include <exception>
#include <nlohmann/json.hpp>

namespace settings::wine {

std::vector<std::string> HeroicWinePrefixes(std::string_view json) {
    std::vector<std::string> prefixes;
    // Without exceptions: text that is not JSON gives a discarded value.
    const nlohmann::json config = nlohmann::json::parse(json, nullptr, false);
    if (!config.is_object()) return prefixes;
    for (const nlohmann::json& game : config) {  // the values of the object
        if (!game.is_object()) continue;
        const auto prefix = game.find("winePrefix");
        if (prefix == game.end() || !prefix->is_string()) continue;
        const auto& text = prefix->get_ref<const std::string&>();
        if (!text.empty()) prefixes.push_back(text);
    }
    return prefixes;
}

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
    if (prefix.empty()) return std::nullopt;
    if (prefix == "~" || prefix.starts_with("~/")) {
        if (home.empty()) return std::nullopt;
        prefix.replace(0, 1, home);
    }
    return prefix;
}

}  // namespace settings::wine
