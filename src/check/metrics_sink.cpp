#include "check/metrics_sink.h"

#include "measure/atomic_file.h"

namespace check {

int PrometheusTextFile::Write(const Report& report) {
    const std::string text = PrometheusReport(report);
    return measure::WriteFileAtomically(path_, text.data(), text.size());
}

}  // namespace check
