#include "check/options.h"

#include <cerrno>
#include <cstdlib>

namespace check {

const char kUsage[] =
    "Usage: vantrel-check [OPTION]...\n"
    "Checks that every camera of the installation is still where its reference picture says.\n"
    "\n"
    "  --pair right|left|both   which pair of cameras to check (default: right)\n"
    "  --json                   print the results as one JSON document\n"
    "  --prometheus FILE        also write them to FILE in Prometheus's text format\n"
    "  --references DIR         the folder of reference pictures\n"
    "                           (default: $XDG_DATA_HOME/vantrel/references)\n"
    "  --seconds N              take pictures for N seconds, 1 to 60 (default: 2)\n"
    "  --help                   show this help and exit\n"
    "  --version                show the version and exit\n"
    "\n"
    "Exit status: 0 every camera is aligned; 1 a camera moved, is out of focus or covered;\n"
    "2 a camera could not be checked (no camera, no reference, camera busy) or bad arguments.\n";

namespace {

bool SetPair(const std::string& value, Options& options) {
    if (value == "right")
        options.pairs = {0};
    else if (value == "left")
        options.pairs = {1};
    else if (value == "both")
        options.pairs = {0, 1};
    else
        return false;
    options.pairName = value;
    return true;
}

bool SetSeconds(const std::string& value, Options& options) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    const long seconds = std::strtol(value.c_str(), nullptr, 10);
    if (errno != 0 || seconds < 1 || seconds > 60) return false;
    options.seconds = static_cast<int>(seconds);
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, const std::string& defaultReferences,
                  Options& options, std::string& error) {
    options.referenceFolder = defaultReferences;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        const bool takesValue = name == "--pair" || name == "--prometheus" ||
                                name == "--references" || name == "--seconds";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) {
                error = "option '" + name + "' needs a value";
                return false;
            }
            value = args[++i];
        } else if (!takesValue && hasValue) {
            error = "option '" + name + "' takes no value";
            return false;
        }
        if (name == "--help") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--json") {
            options.json = true;
        } else if (name == "--pair") {
            if (!SetPair(value, options)) {
                error = "--pair must be right, left or both, not '" + value + "'";
                return false;
            }
        } else if (name == "--seconds") {
            if (!SetSeconds(value, options)) {
                error = "--seconds must be a whole number from 1 to 60, not '" + value + "'";
                return false;
            }
        } else if (name == "--prometheus" || name == "--references") {
            if (value.empty()) {
                error = "option '" + name + "' needs a value";
                return false;
            }
            (name == "--prometheus" ? options.prometheusFile : options.referenceFolder) = value;
        } else {
            error = "unknown argument '" + args[i] + "'";
            return false;
        }
    }
    if (options.referenceFolder.empty() && !options.help && !options.version) {
        error = "no folder of references: set --references, XDG_DATA_HOME or HOME";
        return false;
    }
    return true;
}

}  // namespace check
