#include "dialog/lookup_report.h"

#include <algorithm>

#include "dialog/start_command.h"
#include "settings/locate/game_folder.h"
#include "settings/store/file_store.h"

namespace {

using settings::locate::Advice;
using settings::locate::FoundFolder;
using settings::locate::FoundHow;
using settings::locate::FoundThrough;
using settings::locate::LookedPlace;
using settings::locate::LookupAccount;
using settings::locate::OtherInstallations;
using settings::locate::PassedOver;
using settings::store::BackupFinding;
using settings::store::ProfileCopies;

const char* Reason(PassedOver why, bool several) {
    switch (why) {
        case PassedOver::kNotThere:
            return "not there";
        case PassedOver::kUnreadable:
            return several ? "launcher files that could not be read"
                           : "a launcher file that could not be read";
        case PassedOver::kNoGameKey:
            return several ? "no game key in their registries" : "no game key in its registry";
        case PassedOver::kGameFolderMissing:
            return several ? "the game folders they name are missing"
                           : "the game folder it names is missing";
    }
    return "";
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// What lies beside a file, where it changes what the player sees or can do.
std::string BackupLine(const ProfileCopies& file) {
    std::string backup = file.path;
    while (!backup.empty() && !IsSeparator(backup.back())) backup.pop_back();
    const std::string name = file.path.substr(backup.size());
    backup += settings::store::BackupName(name);
    const BackupFinding finding = file.backup.finding;
    // A backup we may not remove stops every save: OK does not do what it otherwise would.
    const bool stuck = !file.backup.removable && finding != BackupFinding::kForeign &&
                       finding != BackupFinding::kInProgress;
    std::string text;
    switch (finding) {
        case BackupFinding::kInProgress:
            text = "  another instance of this program is saving it right now.\n";
            break;
        case BackupFinding::kGuarding:
            text = "  an interrupted save left it torn: what is shown is read from its backup " +
                   backup + (stuck ? ".\n" : ", and OK writes the file whole again.\n");
            break;
        case BackupFinding::kTornAndChanged:
            text =
                "  an interrupted save left it torn, and another program has changed it since: "
                "what is shown is read from its backup " +
                backup + ".\n";
            if (!stuck) {
                text += "  OK writes the file whole again, keeping it as it is now beside it as " +
                        settings::store::KeptCopyName(name, 1) +
                        " (numbered if that name is taken).\n";
            }
            break;
        case BackupFinding::kUnrecorded:
            text =
                "  an interrupted save of an older version left the backup " + backup +
                (stuck ? ": what is shown is read from it.\n"
                       : ": what is shown is read from it, and OK writes it back to the file.\n");
            break;
        case BackupFinding::kUnreadable:
            text = "  the backup " + backup + " beside it cannot be read and is passed over" +
                   (stuck ? ".\n" : "; OK removes it where it may.\n");
            break;
        case BackupFinding::kForeign:
            text = "  " + backup +
                   " beside it is not a file a save made: it is never read or removed. It stops "
                   "the next save wherever the file has to be rewritten in place (a second name, "
                   "another owner): remove it, or ask its owner or an administrator to.\n";
            break;
        case BackupFinding::kNone:
        case BackupFinding::kStale:
            break;
    }
    if (stuck) {
        text += "  You may not remove the backup " + backup +
                " (the folder is not yours to write, or lets only the backup's owner remove it): "
                "it stops the next save until its owner or an administrator removes it.\n";
    }
    for (const std::string& kept : file.backup.keptCopies) {
        text += "  " + kept +
                " is the file as an interrupted save left it, with another program's later "
                "changes: copy what is still needed from it into the file, then remove it.\n";
    }
    return text;
}

// The launcher, and the file and entry that named the prefix.
std::string Through(const FoundHow& how) {
    std::string through = how.launcher;
    if (!how.launcherFile.empty()) {
        through += ", ";
        if (!how.entry.empty()) through += "game \"" + how.entry + "\" in ";
        through += how.launcherFile;
    }
    return through;
}

const char* ViewName(const FoundHow& how) {
    return how.view32 ? "32-bit view" : "native view";
}

std::string RegistryLine(const FoundHow& how) {
    return "Registry: HKEY_LOCAL_MACHINE\\" + how.key + ", value " +
           std::string(settings::locate::kGameRegistryValue) + " (" + ViewName(how) + ")";
}

// Where the game folder came from, one fact a line.
std::string HowLines(const FoundHow& how) {
    switch (how.through) {
        case FoundThrough::kVariable:
            return "Found through: the environment variable " + how.variable + "\n";
        case FoundThrough::kRegistry:
            return RegistryLine(how) + "\n";
        case FoundThrough::kWinePrefix:
            return "Found through: " + Through(how) + "\nWine prefix: " + how.prefix + "\n" +
                   RegistryLine(how) + ", in " + how.registryFile + "\nStored as: " + how.storedAs +
                   "\n";
    }
    return "";
}

// The same on one line, for the list of other installations.
std::string HowBriefly(const FoundHow& how) {
    switch (how.through) {
        case FoundThrough::kVariable:
            return "the environment variable " + how.variable;
        case FoundThrough::kRegistry:
            return std::string("registry, ") + ViewName(how);
        case FoundThrough::kWinePrefix:
            return Through(how) + "; prefix " + how.prefix + "; " + ViewName(how);
    }
    return "";
}

const char* AdviceText(Advice advice) {
    switch (advice) {
        case Advice::kNone:
            return "";
        case Advice::kLauncherOrWinePrefix:
            return "Install the game through a launcher, or start this program with the game's "
                   "prefix in WINEPREFIX (WINEPREFIX=/path/to/prefix tavrel-customizer).";
        case Advice::kReinstall:
            return "Reinstall the game: its installer records the game folder in the registry.";
        case Advice::kFixVariable:
            return "Set TAVREL_GAME_DIR to the game's folder, or leave it unset to have the game "
                   "looked for.";
    }
    return "";
}

// The folder all the places lie in ("" when they share none).
std::string CommonFolder(const std::vector<const LookedPlace*>& run) {
    std::string common = run.front()->path;
    for (const LookedPlace* place : run) {
        const std::string& path = place->path;
        std::size_t n = 0;
        while (n < common.size() && n < path.size() && common[n] == path[n]) ++n;
        common.resize(n);
    }
    while (!common.empty() && !IsSeparator(common.back())) common.pop_back();
    if (common.size() > 1) common.pop_back();
    return common;
}

std::string RunLine(const std::vector<const LookedPlace*>& run) {
    std::string line = run.front()->group + ": ";
    const bool several = run.size() > 1;
    if (run.size() <= 2) {
        line += run.front()->path;
        if (several) line += ", " + run.back()->path;
    } else {
        const std::string common = CommonFolder(run);
        line += std::to_string(run.size()) + " places";
        if (!common.empty()) line += " in " + common;
    }
    return line + ": " + Reason(run.front()->why, several);
}

// Every other installation on a line of its own, each followed by its command lines, so that a
// player can copy the one line that edits it.
std::string OthersText(const OtherInstallations& others, std::string_view program) {
    std::string text;
    if (!others.found.empty()) {
#ifdef _WIN32
        text +=
            "\nOther installations of the game, not edited here. The lines below each one "
            "start this program on it, with TAVREL_GAME_DIR set to its folder: in Command "
            "Prompt, then in PowerShell.\n";
#else
        text +=
            "\nOther installations of the game, not edited here. The line below each one "
            "starts this program on it, with TAVREL_GAME_DIR set to its folder.\n";
#endif
        for (const FoundFolder& found : others.found) {
            text += "\n" + found.folder + " (" + HowBriefly(found.how) + ")\n";
            const std::vector<std::string> commands = StartCommands(program, found.folder);
            for (const std::string& command : commands) text += command + "\n";
            if (commands.empty()) {
                text +=
                    "No command line for this one: a line break in its folder's name or in "
                    "this program's path cannot be typed.\n";
            }
        }
    }
    if (others.incomplete) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(others.waited);
        text += "\nThe list of installations is incomplete: the search stopped after " +
                std::to_string(seconds.count()) + " seconds.\n";
    }
    return text;
}

}  // namespace

std::string DescribeLookup(const LookupAccount& account, const std::vector<ProfileCopies>& files,
                           std::size_t maxPlaceLines, const OtherInstallations& others,
                           std::string_view program) {
    std::string text;
    if (account.found) {
        text = "Game folder: " + account.gameFolder + "\n";
        text += HowLines(account.how);
        text += "\nThe settings are read from and written to:\n";
        for (const ProfileCopies& file : files) {
            if (file.virtualStore && file.virtualStoreExists) {
                text += *file.virtualStore +
                        "\n  your VirtualStore copy, which the game reads. The file in the game "
                        "folder, " +
                        file.path + ", is updated as well where Windows allows it.\n";
            } else if (file.virtualStore) {
                text += file.path +
                        "\n  the game reads this file. Where Windows does not allow writing it, "
                        "OK writes your VirtualStore copy " +
                        *file.virtualStore + " instead, which the game then reads.\n";
            } else {
                text += file.path + "\n";
            }
            text += BackupLine(file);
        }
        return text + OthersText(others, program);
    }
    text = "The game folder was not found.";
    if (!account.looked.empty()) text += " Places looked, in order:";
    text += "\n";
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < account.looked.size();) {
        std::vector<const LookedPlace*> run{&account.looked[i]};
        std::size_t j = i + 1;
        while (j < account.looked.size() && account.looked[j].group == run.front()->group &&
               account.looked[j].why == run.front()->why) {
            run.push_back(&account.looked[j++]);
        }
        lines.push_back(RunLine(run));
        i = j;
    }
    const std::size_t shown = std::min(lines.size(), std::max<std::size_t>(maxPlaceLines, 1));
    for (std::size_t i = 0; i < shown; ++i) text += lines[i] + "\n";
    if (shown < lines.size()) {
        text += "... and " + std::to_string(lines.size() - shown) + " more lines like these.\n";
    }
    if (account.advice != Advice::kNone)
        text += std::string("\n") + AdviceText(account.advice) + "\n";
    return text + OthersText(others, program);
}
