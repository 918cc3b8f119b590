#pragma once
// The lines F1 gives under another installation: each starts this program on that copy of the
// game, with TAVREL_GAME_DIR set to its folder, in a shell of this platform.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
// For the Command Prompt: carets before the characters it treats specially, the program in
// double quotes.
std::string CmdStartCommand(std::string_view program, std::string_view folder);
// For PowerShell: single quotes, each quote doubled, the typographic ones as PowerShell reads
// them in the ANSI code page.
std::string PowerShellStartCommand(std::string_view program, std::string_view folder);
#else
// For a POSIX shell or fish, which read it alike: every argument quoted unless plainly safe;
// nullopt when either holds a line break, which no pasted line can carry.
std::optional<std::string> PosixStartCommand(std::string_view program, std::string_view folder);
#endif

// This platform's lines, in the order F1 shows them: Windows, the Command Prompt's and then
// PowerShell's; elsewhere the POSIX shells', none when the path cannot be typed.
std::vector<std::string> StartCommands(std::string_view program, std::string_view folder);
