// vantrel-check: measures every camera of the installation against its reference picture, without
// a window, and reports for people (text, JSON) and for Prometheus (a file written whole).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "check/camera_check.h"
#include "check/metrics_sink.h"
#include "check/options.h"
#include "check/report.h"
#include "measure/reference_store.h"

#ifndef VANTREL_VERSION
#define VANTREL_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    check::Options options;
    std::string error;
    if (!check::ParseOptions(std::vector<std::string>(argv + 1, argv + argc),
                             measure::ReferenceStore::DefaultFolder(), options, error)) {
        std::fprintf(stderr, "vantrel-check: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(check::kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vantrel-check %s\n", VANTREL_VERSION);
        return 0;
    }

    check::Report report;
    report.pair = options.pairName;
    report.cameras = check::CheckCameras(options.pairs, options.referenceFolder, options.seconds);
    report.finishedAt = static_cast<std::int64_t>(std::time(nullptr));
    report.exitStatus = check::ExitStatus(report.cameras);

    if (!options.prometheusFile.empty()) {
        check::PrometheusTextFile sink(options.prometheusFile);
        if (const int rc = sink.Write(report); rc != 0) {
            std::fprintf(stderr,
                         "vantrel-check: cannot write %s: %s; the file there is unchanged\n",
                         options.prometheusFile.c_str(), std::strerror(rc));
            report.exitStatus = check::ExitStatus(report.cameras, true);
        }
    }
    const std::string out = options.json ? check::JsonReport(report) : check::TextReport(report);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    return report.exitStatus;
}
