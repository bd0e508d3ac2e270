// The check's verdicts, exit status, command line and reports.
#include <gtest/gtest.h>

#include <cmath>

#include "check/options.h"
#include "check/report.h"
#include "check/verdict.h"

namespace {

using check::Verdict;

AlignmentOffset Measured(double dx, double angle, double scale = 1.0) {
    AlignmentOffset offset;
    offset.measured = true;
    offset.failure = AlignmentFailure::None;
    offset.dx = dx;
    offset.angle = angle;
    offset.scale = scale;
    offset.confidence = 0.9;
    return offset;
}

AlignmentOffset Failed(AlignmentFailure failure) {
    AlignmentOffset offset;
    offset.failure = failure;
    return offset;
}

TEST(CheckVerdict, FromTheMeasurement) {
    const double nan = std::nan("");
    EXPECT_EQ(check::Judge(Measured(1.9, 0.29), 40, 40, 10, 10), Verdict::Aligned);
    EXPECT_EQ(check::Judge(Measured(2.1, 0), 40, 40, 10, 10), Verdict::Moved);
    EXPECT_EQ(check::Judge(Measured(0, 0.31), 40, 40, 10, 10), Verdict::Moved);
    EXPECT_EQ(check::Judge(Measured(0, 0, 1.006), 40, 40, 10, 10), Verdict::Moved);
    EXPECT_EQ(check::Judge(Failed(AlignmentFailure::NoMatch), 40, 40, 10, 10), Verdict::Moved);
    // Sharpness well below the reference's, or none at all where the reference has one.
    EXPECT_EQ(check::Judge(Measured(0, 0), 40, 40, 5.9, 10), Verdict::OutOfFocus);
    EXPECT_EQ(check::Judge(Measured(0, 0), 40, 40, nan, 10), Verdict::OutOfFocus);
    EXPECT_EQ(check::Judge(Measured(0, 0), 40, 40, nan, nan), Verdict::Aligned);
    // Dark, blown out, or featureless beside the reference.
    EXPECT_EQ(check::Judge(Failed(AlignmentFailure::TooDark), 40, 40, 10, 10), Verdict::Covered);
    EXPECT_EQ(check::Judge(Failed(AlignmentFailure::OverExposed), 40, 40, 1, 10), Verdict::Covered);
    EXPECT_EQ(check::Judge(Failed(AlignmentFailure::NoMatch), 7, 40, 1, 10), Verdict::Covered);
}

TEST(CheckVerdict, ExitStatus) {
    auto results = [](std::initializer_list<Verdict> verdicts) {
        std::vector<check::CameraResult> out;
        for (Verdict v : verdicts) out.push_back({"RR", v, {}, 0, 0, "", ""});
        return out;
    };
    EXPECT_EQ(check::ExitStatus(results({Verdict::Aligned, Verdict::Aligned})), 0);
    EXPECT_EQ(check::ExitStatus(results({Verdict::Aligned, Verdict::Aligned}), true), 2);
    EXPECT_EQ(check::ExitStatus(results({Verdict::Aligned, Verdict::Busy})), 2);
    EXPECT_EQ(check::ExitStatus(results({Verdict::NoReference, Verdict::Covered})), 1);
    EXPECT_EQ(check::ExitStatus(results({Verdict::OutOfFocus, Verdict::Aligned})), 1);
    EXPECT_EQ(check::ExitStatus(results({})), 2);
}

TEST(CheckOptions, Parsing) {
    check::Options options;
    std::string error;
    ASSERT_TRUE(check::ParseOptions(
        {"--pair=both", "--seconds", "5", "--json", "--prometheus", "/x/v.prom"}, "/refs", options,
        error));
    EXPECT_EQ(options.pairs, (std::vector<int>{0, 1}));
    EXPECT_EQ(options.seconds, 5);
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.prometheusFile, "/x/v.prom");
    EXPECT_EQ(options.referenceFolder, "/refs");
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--pair", "middle"},
                                                {"--seconds", "0"},
                                                {"--seconds", "3x"},
                                                {"--seconds"},
                                                {"--json=1"},
                                                {"--prometheus="},
                                                {"extra"},
                                                {"-h"}}) {
        check::Options parsed;
        error.clear();
        EXPECT_FALSE(check::ParseOptions(bad, "/refs", parsed, error)) << bad[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
    check::Options noFolder;
    EXPECT_FALSE(check::ParseOptions({}, "", noFolder, error));
}

TEST(CheckReport, UnmeasuredFiguresAreLeftOut) {
    check::Report report;
    report.pair = "right";
    report.finishedAt = 1796790000;
    report.exitStatus = 2;
    report.cameras.push_back({"RR", Verdict::Moved, Measured(12.04, 1.5, 0.99), 10.25, 11, "", ""});
    report.cameras.push_back(
        {"RT", Verdict::NoReference, {}, std::nan(""), std::nan(""), "", "none in \"a\\b\""});

    const std::string text = check::TextReport(report);
    EXPECT_NE(text.find("RR  offset +12.0 px, 0.0 px  roll +1.50\u00b0  scale -1.0 %  sharpness "
                        "10.2  confidence 90 %  moved\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("RT  offset -  roll -  scale -  sharpness -  confidence -  no reference"),
              std::string::npos);

    const std::string json = check::JsonReport(report);
    EXPECT_NE(json.find("\"detail\":\"none in \\\"a\\\\b\\\"\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"roll_degrees\":null"), std::string::npos);

    const std::string prom = check::PrometheusReport(report);
    EXPECT_NE(
        prom.find("vantrel_camera_offset_pixels{position=\"RR\",axis=\"horizontal\"} 12.04\n"),
        std::string::npos)
        << prom;
    EXPECT_EQ(prom.find("vantrel_camera_roll_degrees{position=\"RT\"}"), std::string::npos);
    EXPECT_NE(prom.find("vantrel_camera_aligned{position=\"RT\"} 0\n"), std::string::npos);
    EXPECT_NE(prom.find("vantrel_camera_verdict{position=\"RT\",verdict=\"no reference\"} 1\n"),
              std::string::npos);
    EXPECT_NE(prom.find("vantrel_check_success 0\n"), std::string::npos);
    EXPECT_NE(prom.find("vantrel_check_last_run_timestamp_seconds 1796790000\n"),
              std::string::npos);
}

}  // namespace
