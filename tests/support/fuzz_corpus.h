#pragma once
// The fuzzers' named seed files (fuzz/corpus/<fuzzer>/), run as ordinary test cases too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/case_names.h"

namespace test_support {

// The seed files of one fuzzer, sorted by name. TC_SOURCE_DIR is the source tree.
inline std::vector<std::filesystem::path> CorpusFiles(std::string_view fuzzer) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    const std::filesystem::path dir =
        std::filesystem::path(TC_SOURCE_DIR) / "fuzz" / "corpus" / std::filesystem::path(fuzzer);
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Names a case after its file: "nul_bytes.ini" -> "nul_bytes".
inline std::string CorpusCaseName(const ::testing::TestParamInfo<std::filesystem::path>& info) {
    return CaseName(info.param.stem().string());
}

}  // namespace test_support
