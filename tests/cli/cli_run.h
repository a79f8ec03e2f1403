// Runs the command line the way a user would, with its streams captured and the settings kept
// in a folder of the test's own.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/temp_dir.h"

namespace arkstash::test {

struct CliResult {
    int status;
    std::string out, err;
};

inline CliResult runCli(const std::vector<std::string>& args, const TempDir& home,
                        const std::string& input = {}, bool terminal = false) {
    std::ostringstream out, err;
    std::istringstream in(input);
    cli::Io io{out, err, in, false, terminal,
               [&home](const std::string& name) -> std::optional<std::string> {
                   if (name == "ARKSTASH_HOME") return home.str();
                   if (name == "TEST_PASSWORD") return std::string("s3cret");
                   return std::nullopt;
               }};
    int status = cli::run(args, io);
    return {status, out.str(), err.str()};
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);) out.push_back(line);
    return out;
}

}  // namespace arkstash::test
