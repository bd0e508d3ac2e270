// The command line of vantrel-check.
#pragma once

#include <string>
#include <vector>

namespace check {

struct Options {
    std::vector<int> pairs{0};  // 0 the right-handed pair, 1 the left-handed one
    std::string pairName = "right";
    bool json = false;
    std::string prometheusFile;  // empty: none written
    std::string referenceFolder;
    int seconds = 2;
    bool help = false;
    bool version = false;
};

/// Parses argv (without the program name). On a bad argument returns false with a one-line
/// reason in error. referenceFolder defaults to defaultReferences.
bool ParseOptions(const std::vector<std::string>& args, const std::string& defaultReferences,
                  Options& options, std::string& error);

extern const char kUsage[];

}  // namespace check
