// inikey: one profile key at a time from the command line, or a batch of them from stdin.
//
//   inikey [--native] get FILE SECTION KEY
//   inikey [--native] set FILE SECTION KEY VALUE
//   inikey [--native] batch FILE     stdin: "get\tSECTION\tKEY" or "set\tSECTION\tKEY\tVALUE"
//
// get prints the value read with a 64-character buffer and a newline. batch runs every line,
// printing the values of its gets, and reports the time the run took on stderr as
// "elapsed_us N". Without --native the whole file is read once and, when anything was set,
// written once at the end. --native (Windows only) makes one system call per operation.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/numeric_text.h"
#include "native.h"
#include "settings/ini/ini_profile.h"
#include "settings/store/file_store.h"

#ifndef _WIN32
namespace inikey {
bool NativeAvailable() {
    return false;
}
std::string NativeFullPath(const std::string& path) {
    return path;
}
std::string NativeGet(const std::string&, const std::string&, const std::string&) {
    return {};
}
bool NativeSet(const std::string&, const std::string&, const std::string&, const std::string&,
               int& error) {
    error = 0;
    return false;
}
void UseBinaryStandardStreams() {}
}  // namespace inikey
#endif

namespace {

constexpr std::size_t kBufferSize = 64;  // what the settings record reads with

enum Exit { kOk = 0, kFailed = 1, kUsage = 2 };

void Write(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int Error(std::string_view message) {
    Write(stderr, "inikey: ");
    Write(stderr, message);
    Write(stderr, "\n");
    return kFailed;
}

int Usage(std::string_view problem) {
    Write(stderr, "inikey: ");
    Write(stderr, problem);
    Write(stderr,
          "\nusage: inikey [--native] get FILE SECTION KEY\n"
          "       inikey [--native] set FILE SECTION KEY VALUE\n"
          "       inikey [--native] batch FILE   (stdin: get<TAB>SECTION<TAB>KEY or\n"
          "                                       set<TAB>SECTION<TAB>KEY<TAB>VALUE per line)\n");
    return kUsage;
}

std::string WithCode(std::string_view what, const std::string& path, int code) {
    std::string text(what);
    text.append(" ").append(path).append(" (error ").append(base::FormatInt(code)).append(")");
    return text;
}

void PrintValue(std::string_view value) {
    Write(stdout, value);
    Write(stdout, "\n");
}

struct Operation {
    bool set = false;
    std::string section;
    std::string key;
    std::string value;
};

// The whole file in memory; sets of one section in a row are applied together.
class EngineFile {
public:
    explicit EngineFile(std::string path) : m_path(std::move(path)) {}

    bool Load(std::string& message) {
        bool exists = false;
        int error = 0;
        if (settings::store::ReadWholeFile(m_path, m_bytes, exists, error)) return true;
        message = WithCode("cannot read", m_path, error);
        return false;
    }

    std::string Get(const std::string& section, const std::string& key) {
        Flush();
        return settings::ini::GetString(m_bytes, section, key, kBufferSize);
    }

    void Set(const Operation& op) {
        if (!m_pending.empty() && m_pendingSection != op.section) Flush();
        m_pendingSection = op.section;
        m_pending.push_back(op);
        m_changed = true;
    }

    bool Save(std::string& message) {
        Flush();
        if (!m_changed) return true;
        int error = 0;
        if (settings::store::ReplaceWholeFile(m_path, m_bytes, error)) return true;
        message = WithCode("cannot write", m_path, error);
        return false;
    }

private:
    void Flush() {
        if (m_pending.empty()) return;
        std::vector<settings::ini::KeyValue> edits;
        edits.reserve(m_pending.size());
        for (const Operation& op : m_pending) edits.push_back({op.key, op.value});
        settings::ini::SetStrings(m_bytes, m_pendingSection, edits);
        m_pending.clear();
    }

    std::string m_path;
    std::string m_bytes;
    std::string m_pendingSection;
    std::vector<Operation> m_pending;
    bool m_changed = false;
};

int Run(bool native, const std::string& path, const std::vector<Operation>& ops) {
    if (native) {
        const std::string full = inikey::NativeFullPath(path);
        for (const Operation& op : ops) {
            if (!op.set) {
                PrintValue(inikey::NativeGet(full, op.section, op.key));
                continue;
            }
            int error = 0;
            if (!inikey::NativeSet(full, op.section, op.key, op.value, error)) {
                return Error(WithCode("cannot write", path, error));
            }
        }
        return kOk;
    }
    EngineFile file(path);
    std::string message;
    if (!file.Load(message)) return Error(message);
    for (const Operation& op : ops) {
        if (op.set) {
            file.Set(op);
        } else {
            PrintValue(file.Get(op.section, op.key));
        }
    }
    if (!file.Save(message)) return Error(message);
    return kOk;
}

std::vector<std::string_view> SplitTabs(std::string_view line, std::size_t maxFields) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < maxFields) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) break;
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);  // the value keeps any further tabs
    return fields;
}

std::optional<Operation> ParseBatchLine(std::string_view line, std::string& problem) {
    const std::vector<std::string_view> fields = SplitTabs(line, 4);
    if (fields[0] == "get" && fields.size() == 3) {
        return Operation{false, std::string(fields[1]), std::string(fields[2]), {}};
    }
    if (fields[0] == "set" && fields.size() == 4) {
        return Operation{true, std::string(fields[1]), std::string(fields[2]),
                         std::string(fields[3])};
    }
    problem = "expected get<TAB>SECTION<TAB>KEY or set<TAB>SECTION<TAB>KEY<TAB>VALUE";
    return std::nullopt;
}

// Reads all of stdin first, so a malformed line stops the batch before anything is done.
bool ReadBatch(std::vector<Operation>& ops, std::string& message) {
    std::string input;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) input.append(buffer, n);
    if (std::ferror(stdin)) {
        message = "cannot read the batch from stdin";
        return false;
    }
    std::string_view rest = input;
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t newline = rest.find('\n');
        std::string_view line = rest.substr(0, newline);
        rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::string problem;
        std::optional<Operation> op = ParseBatchLine(line, problem);
        if (!op) {
            message =
                "batch line " + base::FormatInt(static_cast<std::int64_t>(number)) + ": " + problem;
            return false;
        }
        ops.push_back(std::move(*op));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    inikey::UseBinaryStandardStreams();
    std::vector<std::string> args(argv + 1, argv + argc);
    bool native = false;
    if (!args.empty() && args.front() == "--native") {
        if (!inikey::NativeAvailable()) {
            return Error("--native needs the Windows profile functions (Windows build only)");
        }
        native = true;
        args.erase(args.begin());
    }
    if (args.empty()) return Usage("missing command");
    const std::string& command = args[0];

    std::vector<Operation> ops;
    if (command == "get") {
        if (args.size() != 4) return Usage("get takes FILE SECTION KEY");
        ops.push_back(Operation{false, args[2], args[3], {}});
    } else if (command == "set") {
        if (args.size() != 5) return Usage("set takes FILE SECTION KEY VALUE");
        ops.push_back(Operation{true, args[2], args[3], args[4]});
    } else if (command == "batch") {
        if (args.size() != 2) return Usage("batch takes FILE");
        std::string message;
        if (!ReadBatch(ops, message)) return Error(message);
    } else {
        return Usage("unknown command '" + command + "'");
    }

    const auto start = std::chrono::steady_clock::now();
    const int result = Run(native, args[1], ops);
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Error("cannot write to stdout");
    if (command == "batch" && result == kOk) {
        Write(stderr, "elapsed_us " + base::FormatInt(elapsed.count()) + "\n");
    }
    return result;
}
