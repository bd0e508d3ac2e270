// The check's results as the operator reads them (one line a camera), as one JSON document, and
// in Prometheus's text exposition format for the node exporter's textfile collector.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/verdict.h"

namespace check {

struct Report {
    std::string pair;  // "right", "left" or "both"
    std::vector<CameraResult> cameras;
    std::int64_t finishedAt = 0;  // seconds since 1970 (UTC)
    int exitStatus = 2;
};

/// "RR  offset +0.4 px, -1.2 px  roll +0.05°  scale +0.1 %  sharpness 14.2  confidence 91 %
/// aligned" a line per camera; figures that were not measured are "-".
std::string TextReport(const Report& report);
std::string JsonReport(const Report& report);
std::string PrometheusReport(const Report& report);

}  // namespace check
