// The pure decisions behind the GenICam cameras: what VANTREL_CAMERA selects, which vendor code
// the detector reports, which device serves which position, how a 640 x 480 picture is taken
// from a sensor, and how camera values become the program's.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "genicam/geometry.h"
#include "genicam/naming.h"
#include "genicam/selection.h"
#include "genicam/values.h"

namespace vantrel::genicam {
namespace {

TEST(Selection, TellsRealSimulatedAndNoCameraApart) {
    struct Case {
        const char* text;
        CameraChoice choice;
        int code;
    };
    const Case cases[] = {
        // Unset or empty, as when started from the desktop menu: the real cameras.
        {"", CameraChoice::kGenicam, 0},
        {"genicam", CameraChoice::kGenicam, 0},
        {"sim-dalsa", CameraChoice::kSimulated, 1},
        {"sim-vieworks", CameraChoice::kSimulated, 2},
        {"sim-hv", CameraChoice::kSimulated, 3},
        {"sim-none", CameraChoice::kSimulated, 0},
        {"-1", CameraChoice::kSimulated, -1},
        {"4", CameraChoice::kSimulated, 4},
        {"GENICAM", CameraChoice::kUnknown, 0},
        {"genicam ", CameraChoice::kUnknown, 0},
        {"2x", CameraChoice::kUnknown, 0},
        {"sim-foo", CameraChoice::kUnknown, 0},
    };
    for (const Case& c : cases) {
        const Selection selection = ParseSelection(c.text);
        EXPECT_EQ(selection.choice, c.choice) << '"' << c.text << '"';
        EXPECT_EQ(selection.code, c.code) << '"' << c.text << '"';
    }
}

TEST(VendorCode, NamesDalsaOrVieworksOnlyWhenEveryDeviceIsOne) {
    using Vendors = std::vector<std::string>;
    EXPECT_EQ(VendorCode(Vendors{}), 0);
    EXPECT_EQ(VendorCode(Vendors{"Teledyne DALSA"}), 1);
    EXPECT_EQ(VendorCode(Vendors{"DALSA", "Teledyne Dalsa"}), 1);
    EXPECT_EQ(VendorCode(Vendors{"Vieworks"}), 2);
    EXPECT_EQ(VendorCode(Vendors{"VIEWORKS Co., Ltd.", "Vieworks"}), 2);
    EXPECT_EQ(VendorCode(Vendors{"Aravis"}), 3);
    EXPECT_EQ(VendorCode(Vendors{"Basler"}), 3);
    EXPECT_EQ(VendorCode(Vendors{"Teledyne DALSA", "Vieworks"}), 3);
    EXPECT_EQ(VendorCode(Vendors{"Vieworks", "Basler"}), 3);
    EXPECT_EQ(VendorCode(Vendors{""}), 3);
}

TEST(SerialMap, ReadsPositionSerialPairsAndRejectsTheRest) {
    EXPECT_EQ(SlotForName("RR"), 0);
    EXPECT_EQ(SlotForName(" ll "), 1);
    EXPECT_EQ(SlotForName("Rt"), 2);
    EXPECT_EQ(SlotForName("LT"), 3);
    EXPECT_EQ(SlotForName("RRR"), std::nullopt);
    EXPECT_EQ(SlotForName(""), std::nullopt);

    const SerialMap map = ParseSerialMap(" RR = S-100, lt=200,,XX=3,RT=,LL,RR=400, RT=500 ");
    ASSERT_EQ(map.entries.size(), 3u);
    EXPECT_EQ(map.entries[0].slot, 0);
    EXPECT_EQ(map.entries[0].serial, "S-100");
    EXPECT_EQ(map.entries[1].slot, 3);
    EXPECT_EQ(map.entries[1].serial, "200");
    EXPECT_EQ(map.entries[2].slot, 2);
    EXPECT_EQ(map.entries[2].serial, "500");
    EXPECT_EQ(map.rejected, (std::vector<std::string>{"XX=3", "RT=", "LL", "RR=400"}));
    EXPECT_TRUE(ParseSerialMap("").entries.empty());
}

SlotDevices Slots(int rr, int ll, int rt, int lt) {
    return {rr, ll, rt, lt};
}

TEST(AssignPositions, NamesComeFirstThenSerialsThenTheOrderFound) {
    const SerialMap none;
    // By DeviceUserID; a second device with a name already taken serves nothing.
    const std::vector<DeviceNames> named = {{"RT", "1"}, {"rr", "2"}, {"RT", "3"}, {"LT", "4"}};
    EXPECT_EQ(AssignPositions(named, none), Slots(1, kNoDevice, 0, 3));

    // By serial, for devices without a position name only, never over a named one.
    const SerialMap serials = ParseSerialMap("LL=7,RT=8,RR=9");
    const std::vector<DeviceNames> mixed = {{"", "8"}, {"camera", "7"}, {"RT", "5"}, {"", "9"}};
    EXPECT_EQ(AssignPositions(mixed, serials), Slots(3, 1, 2, kNoDevice));

    // Once any device is placed, the others are left unused.
    const std::vector<DeviceNames> partly = {{"", "1"}, {"LT", "2"}, {"", "3"}};
    EXPECT_EQ(AssignPositions(partly, none), Slots(kNoDevice, kNoDevice, kNoDevice, 1));

    // Nothing placed: the first device is the side camera, the second the top camera, of
    // either installation.
    EXPECT_EQ(AssignPositions(std::vector<DeviceNames>{}, none),
              Slots(kNoDevice, kNoDevice, kNoDevice, kNoDevice));
    EXPECT_EQ(AssignPositions(std::vector<DeviceNames>{{"", "1"}}, serials),
              Slots(0, 0, kNoDevice, kNoDevice));
    const std::vector<DeviceNames> three = {{"side", "1"}, {"", "2"}, {"", "3"}};
    EXPECT_EQ(AssignPositions(three, serials), Slots(0, 0, 1, 1));
}

TEST(Geometry, BinsAsFarAsThePictureAllowsAndCentresTheRest) {
    const IntRange anyBinning{1, 16, 1};
    const std::vector<Geometry> fake = GeometryCandidates({2048, 2048, anyBinning, anyBinning});
    ASSERT_EQ(fake.size(), 3u);
    EXPECT_EQ(fake[0].binning, 3);  // 682 x 682 binned
    EXPECT_EQ(fake[0].offsetX, 21);
    EXPECT_EQ(fake[0].offsetY, 101);
    EXPECT_EQ(fake[1].binning, 2);
    EXPECT_EQ(fake[1].offsetX, 192);
    EXPECT_EQ(fake[1].offsetY, 272);
    EXPECT_EQ(fake[2].binning, 1);
    EXPECT_EQ(fake[2].offsetX, 704);
    EXPECT_EQ(fake[2].offsetY, 784);

    // Binning must be offered in both directions; without it the region is cut from the sensor.
    const std::vector<Geometry> evenOnly =
        GeometryCandidates({2592, 1944, IntRange{2, 4, 2}, IntRange{1, 4, 1}});
    ASSERT_EQ(evenOnly.size(), 3u);
    EXPECT_EQ(evenOnly[0].binning, 4);
    EXPECT_EQ(evenOnly[0].offsetX, 4);
    EXPECT_EQ(evenOnly[0].offsetY, 3);
    EXPECT_EQ(evenOnly[1].binning, 2);
    EXPECT_EQ(evenOnly[2].binning, 1);
    const std::vector<Geometry> noBinning = GeometryCandidates({1280, 1024, {}, {}});
    ASSERT_EQ(noBinning.size(), 1u);
    EXPECT_EQ(noBinning[0].binning, 1);
    EXPECT_EQ(noBinning[0].offsetX, 320);
    EXPECT_EQ(noBinning[0].offsetY, 272);

    const std::vector<Geometry> exact = GeometryCandidates({640, 480, anyBinning, anyBinning});
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].offsetX, 0);
    EXPECT_EQ(exact[0].offsetY, 0);
    EXPECT_TRUE(GeometryCandidates({639, 2048, anyBinning, anyBinning}).empty());
    EXPECT_TRUE(GeometryCandidates({2048, 479, anyBinning, anyBinning}).empty());
    EXPECT_TRUE(GeometryCandidates({0, 0, anyBinning, anyBinning}).empty());
}

TEST(Geometry, OffsetsAlignDownToWhatTheCameraAccepts) {
    EXPECT_EQ(AlignDown(101, {0, 2048, 4}), 100);
    EXPECT_EQ(AlignDown(100, {0, 2048, 4}), 100);
    EXPECT_EQ(AlignDown(21, {1, 2048, 8}), 17);
    EXPECT_EQ(AlignDown(5000, {0, 1000, 16}), 992);
    EXPECT_EQ(AlignDown(-3, {0, 1000, 16}), 0);
    EXPECT_EQ(AlignDown(7, {0, 100, 0}), 7);
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(AlignDown(kMax, {kMin, kMax, 1}), kMax);
    EXPECT_EQ(AlignDown(0, {kMin, kMax, 2}), 0);
    EXPECT_TRUE((IntRange{kMin, kMax, 3}).Contains(kMin + 3));
    EXPECT_FALSE((IntRange{0, 10, 3}).Contains(4));
    EXPECT_FALSE((IntRange{0, 10, 0}).Contains(0));
}

TEST(Values, RoundSaturateAndClampToTheCamerasBounds) {
    EXPECT_EQ(RoundToInt32(9999.5), 10000);
    EXPECT_EQ(RoundToInt32(-0.4), 0);
    EXPECT_EQ(RoundToInt32(-2.5), -3);
    EXPECT_EQ(RoundToInt32(DBL_MAX), INT32_MAX);
    EXPECT_EQ(RoundToInt32(-DBL_MAX), INT32_MIN);
    EXPECT_EQ(RoundToInt32(1e10), INT32_MAX);
    EXPECT_EQ(RoundToInt32(std::nan("")), std::nullopt);

    EXPECT_EQ(ClampToBounds(1e9, {10.0, 1e7}), 1e7);
    EXPECT_EQ(ClampToBounds(-5.0, {10.0, 1e7}), 10.0);
    EXPECT_EQ(ClampToBounds(3.25, {0.0, 24.0}), 3.25);
    EXPECT_EQ(ClampToBounds(30.0, {24.0, 0.0}), 24.0);

    EXPECT_EQ(NearestAccepted(3.6, {0, 10, 1}), 4);
    EXPECT_EQ(NearestAccepted(99.0, {0, 10, 1}), 10);
    EXPECT_EQ(NearestAccepted(-99.0, {0, 10, 1}), 0);
    EXPECT_EQ(NearestAccepted(17.0, {2, 62, 4}), 18);
    EXPECT_EQ(NearestAccepted(61.9, {2, 61, 4}), 58);  // 62 would be past the maximum
    EXPECT_EQ(NearestAccepted(5.0, {7, 7, 1}), 7);
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(NearestAccepted(1234.4, {kMin, kMax, 1}), 1234);
    EXPECT_EQ(NearestAccepted(DBL_MAX, {kMin, kMax, 1}), kMax);
    EXPECT_EQ(NearestAccepted(-DBL_MAX, {kMin, kMax, 1}), kMin);
}

TEST(Values, CarryAGainOverOnlyWhereTheUnitsConvertFaithfully) {
    EXPECT_NEAR(*ConvertGain(6.0, GainUnit::kDecibel, GainUnit::kFactor), 1.9953, 1e-4);
    EXPECT_NEAR(*ConvertGain(2.0, GainUnit::kFactor, GainUnit::kDecibel), 6.0206, 1e-4);
    EXPECT_EQ(ConvertGain(3.0, GainUnit::kSteps, GainUnit::kSteps), 3.0);
    EXPECT_EQ(ConvertGain(3.5, GainUnit::kDecibel, GainUnit::kDecibel), 3.5);
    // Raw steps mean something else on every model; a factor of 0 has no decibels.
    EXPECT_EQ(ConvertGain(3.0, GainUnit::kSteps, GainUnit::kDecibel), std::nullopt);
    EXPECT_EQ(ConvertGain(3.0, GainUnit::kDecibel, GainUnit::kSteps), std::nullopt);
    EXPECT_EQ(ConvertGain(0.0, GainUnit::kFactor, GainUnit::kDecibel), std::nullopt);
    EXPECT_EQ(ConvertGain(3.0, GainUnit::kNone, GainUnit::kDecibel), std::nullopt);
}

}  // namespace
}  // namespace vantrel::genicam
