#include "check/report.h"

#include <cmath>
#include <cstdio>

namespace check {

namespace {

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// A signed figure with the given decimals; "0.0" rather than "-0.0" or "+0.0".
std::string Signed(double value, int decimals) {
    const double unit = std::pow(10.0, decimals);
    const double rounded = std::round(value * unit) / unit;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, rounded == 0.0 ? "%.*f" : "%+.*f", decimals,
                  rounded == 0.0 ? 0.0 : rounded);
    return buffer;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value, const char* format = "%.6g") {
    return std::isfinite(value) ? Format(format, value) : "null";
}

// Label values: backslash, double quote and newline escaped as the exposition format asks.
std::string LabelValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

struct Family {
    const char* name;
    const char* help;
};

void Header(std::string& out, const Family& family) {
    out += "# HELP " + std::string(family.name) + " " + family.help + "\n";
    out += "# TYPE " + std::string(family.name) + " gauge\n";
}

void Sample(std::string& out, const char* name, const std::string& labels, double value) {
    out += std::string(name) + "{" + labels + "} " + Format("%.9g", value) + "\n";
}

std::string PositionLabel(const CameraResult& camera) {
    return "position=\"" + LabelValue(camera.position) + "\"";
}

}  // namespace

std::string TextReport(const Report& report) {
    std::string out;
    for (const CameraResult& camera : report.cameras) {
        const AlignmentOffset& o = camera.offset;
        const bool m = o.measured;
        out += camera.position;
        out += "  offset " + (m ? Signed(o.dx, 1) + " px, " + Signed(o.dy, 1) + " px" : "-");
        out += "  roll " + (m ? Signed(o.angle, 2) + "\u00b0" : "-");
        out += "  scale " + (m ? Signed((o.scale - 1.0) * 100.0, 1) + " %" : "-");
        out += "  sharpness " +
               (std::isfinite(camera.sharpness) ? Format("%.1f", camera.sharpness) : "-");
        out += "  confidence " + (m ? Format("%.0f", 100.0 * o.confidence) + " %" : "-");
        out += "  " + std::string(VerdictName(camera.verdict));
        if (!camera.detail.empty()) out += " (" + camera.detail + ")";
        out += "\n";
    }
    return out;
}

std::string JsonReport(const Report& report) {
    std::string out = "{\"pair\":" + JsonString(report.pair) +
                      ",\"finished_at\":" + std::to_string(report.finishedAt) +
                      ",\"exit_status\":" + std::to_string(report.exitStatus) + ",\"cameras\":[";
    for (size_t i = 0; i < report.cameras.size(); ++i) {
        const CameraResult& camera = report.cameras[i];
        const AlignmentOffset& o = camera.offset;
        const double nan = std::nan("");
        out += i ? "," : "";
        out += "{\"position\":" + JsonString(camera.position) +
               ",\"verdict\":" + JsonString(VerdictName(camera.verdict)) +
               ",\"measured\":" + (o.measured ? "true" : "false") +
               ",\"offset_px\":{\"horizontal\":" + JsonNumber(o.measured ? o.dx : nan) +
               ",\"vertical\":" + JsonNumber(o.measured ? o.dy : nan) +
               "},\"roll_degrees\":" + JsonNumber(o.measured ? o.angle : nan) +
               ",\"scale_percent\":" + JsonNumber(o.measured ? (o.scale - 1.0) * 100.0 : nan) +
               ",\"sharpness\":" + JsonNumber(camera.sharpness) +
               ",\"reference_sharpness\":" + JsonNumber(camera.referenceSharpness) +
               ",\"confidence\":" + JsonNumber(o.measured ? o.confidence : nan) +
               ",\"reference\":" + JsonString(camera.reference) +
               ",\"detail\":" + JsonString(camera.detail) + "}";
    }
    return out + "]}\n";
}

std::string PrometheusReport(const Report& report) {
    const Family offset{"vantrel_camera_offset_pixels",
                        "Offset of the camera's picture from its reference picture, in pixels."};
    const Family roll{"vantrel_camera_roll_degrees",
                      "Roll of the camera's picture against its reference picture, clockwise."};
    const Family scale{"vantrel_camera_scale_ratio",
                       "Scale of the camera's picture against its reference picture."};
    const Family sharpness{"vantrel_camera_sharpness", "Focus figure of the camera's picture."};
    const Family confidence{"vantrel_camera_match_confidence",
                            "How surely the picture matched the reference, 0 to 1."};
    const Family aligned{"vantrel_camera_aligned",
                         "1 when the camera is where and as sharp as its reference says."};
    const Family verdict{"vantrel_camera_verdict",
                         "1 for the verdict the check gave the camera, 0 for the others."};
    std::string out;
    Header(out, offset);
    for (const CameraResult& c : report.cameras) {
        if (!c.offset.measured) continue;
        Sample(out, offset.name, PositionLabel(c) + ",axis=\"horizontal\"", c.offset.dx);
        Sample(out, offset.name, PositionLabel(c) + ",axis=\"vertical\"", c.offset.dy);
    }
    Header(out, roll);
    for (const CameraResult& c : report.cameras)
        if (c.offset.measured) Sample(out, roll.name, PositionLabel(c), c.offset.angle);
    Header(out, scale);
    for (const CameraResult& c : report.cameras)
        if (c.offset.measured) Sample(out, scale.name, PositionLabel(c), c.offset.scale);
    Header(out, sharpness);
    for (const CameraResult& c : report.cameras)
        if (std::isfinite(c.sharpness)) Sample(out, sharpness.name, PositionLabel(c), c.sharpness);
    Header(out, confidence);
    for (const CameraResult& c : report.cameras)
        if (c.offset.measured) Sample(out, confidence.name, PositionLabel(c), c.offset.confidence);
    Header(out, aligned);
    for (const CameraResult& c : report.cameras)
        Sample(out, aligned.name, PositionLabel(c), c.verdict == Verdict::Aligned ? 1 : 0);
    Header(out, verdict);
    for (const CameraResult& c : report.cameras) {
        for (Verdict v : {Verdict::Aligned, Verdict::Moved, Verdict::OutOfFocus, Verdict::Covered,
                          Verdict::NoReference, Verdict::NoCamera, Verdict::Busy}) {
            Sample(out, verdict.name,
                   PositionLabel(c) + ",verdict=\"" + LabelValue(VerdictName(v)) + "\"",
                   c.verdict == v ? 1 : 0);
        }
    }
    Header(out, {"vantrel_check_success",
                 "1 when the last check could check every camera it was asked to."});
    out += "vantrel_check_success " + std::string(report.exitStatus == 2 ? "0" : "1") + "\n";
    Header(out, {"vantrel_check_last_run_timestamp_seconds",
                 "When the last check finished, in seconds since 1970."});
    out += "vantrel_check_last_run_timestamp_seconds " + std::to_string(report.finishedAt) + "\n";
    return out;
}

}  // namespace check
