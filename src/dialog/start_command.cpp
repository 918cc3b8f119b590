#include "dialog/start_command.h"

#include "framework/platform.h"
#include "settings/locate/game_folder.h"

namespace {

using settings::locate::kGameDirVariable;

#ifdef _WIN32
// PowerShell takes the typographic single quotes for quotes too. Which bytes spell them depends
// on the ANSI code page (a double-byte one may hold 0x91 as a second byte), so each
// character is judged by what it is, not by its bytes.
std::string PowerShellQuoted(std::string_view text) {
    std::string out = "'";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t from = at;
        const char32_t c = framework::GetPlatform().NextPathCharacter(text, at);
        const std::string_view character = text.substr(from, at - from);
        out += character;
        if (c == U'\'' || (c >= U'\u2018' && c <= U'\u201B')) out += character;
    }
    return out + "'";
}

#else
// A word every shell takes as it is, so the command stays easy to read. No "=": a command word
// "a=b" would be one more assignment.
bool PlainShellWord(std::string_view word) {
    if (word.empty()) return false;
    for (const char c : word) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("_@+:,./-").find(c) != std::string_view::npos;
        if (!plain) return false;
    }
    return true;
}

// Single quotes keep every byte as it is in sh, bash and zsh, but fish reads \\ and \' inside
// them as escapes. So the quote and the backslash stand outside the quotes, each escaped by a
// backslash, which all of them read alike: a\b'c -> 'a'\\'b'\''c'.
std::string ShellQuoted(std::string_view word) {
    if (word.empty()) return "''";
    std::string quoted;
    bool open = false;
    for (const char c : word) {
        const bool escaped = c == '\'' || c == '\\';
        if (escaped == open) {
            quoted.push_back('\'');
            open = !open;
        }
        if (escaped) quoted.push_back('\\');
        quoted.push_back(c);
    }
    if (open) quoted.push_back('\'');
    return quoted;
}

#endif

}  // namespace

#ifdef _WIN32
std::string CmdStartCommand(std::string_view program, std::string_view folder) {
    // The value is left unquoted, since "set" would keep inner quotes: a caret makes each
    // special character plain, "%" included (quotes would not stop it naming a variable), and
    // "&&" follows it directly so that no blank ends the value. The program's path is quoted;
    // a lone "%" in it stays as it is.
    std::string command = "set " + std::string(kGameDirVariable) + "=";
    for (const char c : folder) {
        if (std::string_view("^&|<>()%").find(c) != std::string_view::npos) command.push_back('^');
        command.push_back(c);
    }
    return command + "&& \"" + std::string(program) + "\"";
}

std::string PowerShellStartCommand(std::string_view program, std::string_view folder) {
    return "$env:" + std::string(kGameDirVariable) + "=" + PowerShellQuoted(folder) + "; & " +
           PowerShellQuoted(program);
}

#else
std::optional<std::string> PosixStartCommand(std::string_view program, std::string_view folder) {
    // Quoted, a line break would still end the line a player copies.
    if (program.find('\n') != std::string_view::npos ||
        folder.find('\n') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(kGameDirVariable) + "=" + ShellQuoted(folder) + " " +
           (PlainShellWord(program) ? std::string(program) : ShellQuoted(program));
}

#endif

std::vector<std::string> StartCommands(std::string_view program, std::string_view folder) {
#ifdef _WIN32
    return {CmdStartCommand(program, folder), PowerShellStartCommand(program, folder)};
#else
    std::vector<std::string> lines;
    if (auto line = PosixStartCommand(program, folder)) lines.push_back(std::move(*line));
    return lines;
#endif
}
