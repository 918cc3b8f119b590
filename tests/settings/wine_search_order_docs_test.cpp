// The documents that tell the search order follow the table the search is built from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "settings/prefixes/search_order.h"

namespace {

constexpr std::size_t kNone = std::string::npos;

struct Passage {
    const char* file;  // below the source tree
    const char* begin;
    const char* end;
};

// The text of a document from `begin` to `end`; empty when either is missing.
std::string Read(const Passage& passage) {
    std::ifstream in(std::string(TC_SOURCE_DIR) + "/" + passage.file, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    const std::size_t begin = text.find(passage.begin);
    const std::size_t end = begin == kNone ? kNone : text.find(passage.end, begin);
    return end == kNone ? std::string() : text.substr(begin, end - begin);
}

// Where step `number` ("4. ") starts, from `from` on; not the tail of a longer number.
std::size_t FindStep(const std::string& text, std::size_t number, std::size_t from) {
    const std::string marker = std::to_string(number) + ". ";
    for (std::size_t at = text.find(marker, from); at != kNone; at = text.find(marker, at + 1)) {
        if (at == 0 || std::isdigit(static_cast<unsigned char>(text[at - 1])) == 0) return at;
    }
    return kNone;
}

TEST(SearchOrderDocuments, NumberedListsHaveTheTablesSteps) {
    const std::vector<std::string_view> steps = settings::prefixes::SearchedLaunchers();
    for (const Passage& doc :
         {Passage{"res/tavrel-customizer.1", "tried in this order", "The prefix where the game"},
          Passage{"docs/ARCHITECTURE.md", "in this order:", "Steps are only ever added"}}) {
        const std::string text = Read(doc);
        ASSERT_FALSE(text.empty()) << doc.file;
        std::size_t at = FindStep(text, 1, 0);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            ASSERT_NE(at, kNone) << doc.file << " has no step " << i + 1;
            const std::size_t next = FindStep(text, i + 2, at + 1);
            const std::string step = text.substr(at, next == kNone ? kNone : next - at);
            EXPECT_NE(step.find(steps[i]), kNone) << doc.file << ", " << steps[i] << ":\n" << step;
            at = next;
        }
        EXPECT_EQ(at, kNone) << doc.file << " has more steps than the search";
    }
}

TEST(SearchOrderDocuments, DescriptionsNameEveryLauncherInTheTablesOrder) {
    std::vector<std::string_view> launchers;  // each once, where it first comes
    for (const std::string_view launcher : settings::prefixes::SearchedLaunchers()) {
        if (!launcher.empty() &&
            std::find(launchers.begin(), launchers.end(), launcher) == launchers.end()) {
            launchers.push_back(launcher);
        }
    }
    for (const Passage& doc :
         {Passage{"README.md", "Wine prefixes of", "The full"},
          Passage{"res/io.github.tavrel_customizer.TavrelCustomizer.metainfo.xml",
                  "Wine prefixes of", "</p>"},
          Passage{"src/platform/qt/CMakeLists.txt", "Wine prefixes of", "TAVREL_GAME_DIR"}}) {
        const std::string text = Read(doc);
        ASSERT_FALSE(text.empty()) << doc.file;
        std::size_t at = 0;
        for (const std::string_view launcher : launchers) {
            at = text.find(launcher, at);
            ASSERT_NE(at, kNone) << doc.file << " misses " << launcher << " or its place:\n"
                                 << text;
            at += launcher.size();
        }
    }
}

}  // namespace
