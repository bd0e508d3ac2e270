// Where the check's results go besides standard output: a sink takes the whole report at once.
#pragma once

#include <string>
#include <utility>

#include "check/report.h"

namespace check {

class MetricsSink {
public:
    virtual ~MetricsSink() = default;
    /// Hands over the report. Returns 0, or the errno value of the step that failed; a failed
    /// write leaves what was there before untouched.
    virtual int Write(const Report& report) = 0;
};

/// The node exporter's textfile collector: Prometheus's text format, written whole or not at all
/// (a temporary file beside it, then a rename), so that a scrape never sees half a file.
class PrometheusTextFile : public MetricsSink {
public:
    explicit PrometheusTextFile(std::string path) : path_(std::move(path)) {}
    int Write(const Report& report) override;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace check
