// The help as it ships beside the program: every page the program opens is there, the build
// filled in its values, and no link between the pages leads nowhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kShipped = fs::path(ARKSTASH_EXE).parent_path() / "help";

std::string readFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::vector<std::string> matches(const std::string& text, const char* pattern) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

}  // namespace

TEST(HelpPages, EveryTopicTheProgramOpensIsShipped) {
    // The topics are the page names the program's sources spell out.
    std::set<std::string> topics;
    for (const auto& entry :
         fs::recursive_directory_iterator(fs::path(ARKSTASH_SOURCE_DIR) / "src"))
        for (auto& topic : matches(readFile(entry.path()), "\"([^\"/]+\\.html)\""))
            topics.insert(topic);
    EXPECT_TRUE(topics.contains("Technical support.html"));
    for (const auto& topic : topics) EXPECT_TRUE(fs::is_regular_file(kShipped / topic)) << topic;
}

TEST(HelpPages, LinksResolveAndTheBuildFilledInItsValues) {
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(kShipped)) {
        if (entry.path().extension() != ".html") continue;
        ++pages;
        const std::string page = entry.path().filename().string(), text = readFile(entry.path());
        EXPECT_EQ(matches(text, "@([A-Z_]+)@"), std::vector<std::string>{}) << page;
        for (const std::string& target : matches(text, "(?:href|src)=\"([^\"#]*)")) {
            // A place on the same page, or the web.
            if (target.empty() || std::regex_search(target, std::regex("^[a-z]+:"))) continue;
            const std::string file = std::regex_replace(target, std::regex("%20"), " ");
            EXPECT_TRUE(fs::is_regular_file(kShipped / file)) << page << ": " << target;
        }
    }
    EXPECT_GT(pages, 1);
    EXPECT_NE(readFile(kShipped / "Technical support.html").find("Arkstash " ARKSTASH_VERSION),
              std::string::npos);
}
