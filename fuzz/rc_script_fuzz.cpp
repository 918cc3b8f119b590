// The resource-script reader: the program's own script is known good, but the reader must turn
// any other text into a resource set or a std::runtime_error naming the line, nothing else.
// Input: HEADER RS SCRIPT, RS being the byte 0x1E; without one, all of it is the script.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "framework/dialog_template.h"
#include "fuzz_input.h"
#include "rcscript/resource_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    const std::string_view input = fuzz::Bytes(data, size);
    const std::size_t rs = input.find('\x1e');
    const std::string_view header = rs == std::string_view::npos ? "" : input.substr(0, rs);
    const std::string_view script = rs == std::string_view::npos ? input : input.substr(rs + 1);
    try {
        const rcscript::ResourceSet set = rcscript::ResourceSet::Parse(script, header);
        // Read back what a front end asks for.
        for (unsigned id : {100u, 102u, 1000u}) {
            if (const framework::DialogTemplate* dialog = set.FindDialog(id)) {
                fuzz::Check(dialog->id == id);
            }
            static_cast<void>(set.DialogInit(id));
            static_cast<void>(set.String(id));
            static_cast<void>(set.IconFile(id));
        }
        static_cast<void>(set.Version().Value("FileVersion"));
    } catch (const std::runtime_error& error) {
        fuzz::Check(error.what()[0] != '\0');
    }
    return 0;
}
