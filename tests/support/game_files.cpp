#include "support/game_files.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "base/numeric_text.h"
#include "settings/locate/lookup_account.h"
#include "settings/record/services.h"
#include "settings/store/file_store.h"

namespace test_support {

TempFolder::TempFolder(std::string_view prefix) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_path = base / (std::string(prefix) + std::to_string(random()));
        if (std::filesystem::create_directory(m_path)) return;
    }
    throw std::runtime_error("no temporary folder under " + base.string());
}

TempFolder::~TempFolder() {
    std::error_code error;
    // Read-only entries left by a test must not keep the folder alive.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path, error)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(m_path, error);
}

std::filesystem::path TempFolder::MakeDir(const std::filesystem::path& relative) const {
    const std::filesystem::path dir = m_path / relative;
    std::filesystem::create_directories(dir);
    return dir;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out.good();
}

std::string PackOdds(int e0, int e1, int e2, int e3) {
    const std::uint32_t word = (static_cast<std::uint32_t>(e0) & 0xFFu) |
                               ((static_cast<std::uint32_t>(e1) & 0xFFu) << 8) |
                               ((static_cast<std::uint32_t>(e2) & 0xFFu) << 16) |
                               ((static_cast<std::uint32_t>(e3) & 0xFFu) << 24);
    return base::FormatInt(static_cast<std::int32_t>(word));
}

namespace {

void AppendKey(std::string& bytes, std::string_view name, const std::optional<std::string>& value) {
    if (value) bytes.append(name).append("=").append(*value).append("\r\n");
}

}  // namespace

std::string ScriptsIniBytes(const GameKeys& keys) {
    std::string bytes = "; scenario file\r\n[Mul_Convoy]\r\nmultiplier=1.25\r\nkeep=this\r\n\r\n";
    bytes += "[Mul_Tavrel]\r\n";
    AppendKey(bytes, "multiplier", keys.multiplier);
    AppendKey(bytes, "type", keys.type);
    AppendKey(bytes, "rrace", keys.rrace);
    AppendKey(bytes, "srace", keys.srace);
    AppendKey(bytes, "race", keys.race);
    AppendKey(bytes, "hull", keys.hull);
    AppendKey(bytes, "hullpercentA", keys.hullpercentA);
    AppendKey(bytes, "hullpercentB", keys.hullpercentB);
    AppendKey(bytes, "hullpercentC", keys.hullpercentC);
    AppendKey(bytes, "era", keys.era);
    AppendKey(bytes, "ModSupport", keys.modSupport);
    bytes += "\r\n[Mul_Patrol]\r\nmultiplier=0.90\r\n";
    return bytes;
}

std::string SfcIniBytes(const GameKeys& keys) {
    std::string bytes = "[Game]\r\nVersion=2.0.3.6\r\n\r\n[UI]\r\n";
    AppendKey(bytes, "UIType", keys.uiType);
    bytes += "ShowTips=0\r\n";
    return bytes;
}

std::optional<std::string> StubLocator::Find(settings::locate::LookupAccount* account) {
    ++m_state->calls;
    if (account != nullptr) *account = {};
    if (m_state->failFromCall > 0 && m_state->calls >= m_state->failFromCall) {
        settings::store::SetLastErrorCode(kLookupErrorCode);
        return std::nullopt;
    }
    if (account != nullptr) {
        account->found = true;
        account->gameFolder = m_state->folder;
        account->how.through = settings::locate::FoundThrough::kVariable;
        account->how.variable = "the test's locator";
    }
    return m_state->folder;
}

GameFolder::GameFolder(std::string_view prefix)
    : m_folder(prefix), m_locator(std::make_shared<LocatorState>()) {
    m_folder.MakeDir(std::filesystem::path("Assets") / "Scripts");
    m_locator->folder = root().string();
    UseFiles(nullptr);
}

GameFolder::~GameFolder() {
    settings::InstallServices({});
}

void GameFolder::UseFiles(std::unique_ptr<settings::store::ProfileFiles> files) const {
    settings::InstallServices({std::make_unique<StubLocator>(m_locator), std::move(files)});
}

std::filesystem::path GameFolder::ScriptsIni() const {
    return root() / "Assets" / "Scripts" / "scripts.ini";
}

std::filesystem::path GameFolder::SfcIni() const {
    return root() / "sfc.ini";
}

bool GameFolder::Write(const GameKeys& keys) const {
    return WriteBytes(ScriptsIni(), ScriptsIniBytes(keys)) &&
           WriteBytes(SfcIni(), SfcIniBytes(keys));
}

}  // namespace test_support
