// Aravis's in-process fake camera for the tests: the switch that hides every other camera, the
// fake's own GenICam description and variants of it.
#pragma once

#include <arv.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

namespace vantrel::testing {

// Before any test runs: the modules and the tests see only the fake camera and never search the
// network or the USB buses.
inline const bool kFakeCameraOnly = setenv("VANTREL_GENICAM_FAKE", "1", 1) == 0;

// The fake camera's built-in description.
inline std::string BuiltInDescription() {
    ArvFakeCamera* camera = arv_fake_camera_new("0");
    size_t size = 0;
    const char* xml = arv_fake_camera_get_genicam_xml(camera, &size);
    std::string text(xml, size);
    g_object_unref(camera);
    return text;
}

// xml with extra feature nodes.
inline std::string WithNodes(std::string xml, std::string_view nodes) {
    const size_t end = xml.rfind("</RegisterDescription>");
    if (end != std::string::npos) xml.insert(end, nodes);
    return xml;
}

// xml whose pixel formats lack Mono8.
inline std::string WithoutMono8(std::string xml) {
    const size_t begin = xml.find("<EnumEntry Name=\"Mono8\"");
    const size_t end = xml.find("</EnumEntry>", begin);
    if (begin != std::string::npos && end != std::string::npos) {
        xml.erase(begin, end + std::string_view("</EnumEntry>").size() - begin);
    }
    return xml;
}

// xml with a sensor of the given size instead of the fake's 2048 x 2048.
inline std::string WithSensor(std::string xml, int width, int height) {
    for (const auto& [from, size] : {std::pair<std::string, int>{"SensorWidthRegister", width},
                                     std::pair<std::string, int>{"SensorHeightRegister", height}}) {
        const std::string pointer = "<pValue>" + from + "</pValue>";
        const size_t at = xml.find(pointer);
        if (at != std::string::npos) {
            xml.replace(at, pointer.size(), "<Value>" + std::to_string(size) + "</Value>");
        }
    }
    return xml;
}

// Feature nodes of a newer camera: a position name, a temperature, and Gain and ExposureTime
// under their SFNC names with bounds of their own.
inline std::string ModernNodes(std::string_view userId) {
    return std::string(R"(
	<String Name="DeviceUserID" NameSpace="Standard"><Value>)") +
           std::string(userId) + R"(</Value></String>
	<Float Name="DeviceTemperature" NameSpace="Standard"><Value>41.5</Value></Float>
	<Float Name="Gain" NameSpace="Standard"><Value>1.0</Value><Min>1.0</Min><Max>8.0</Max></Float>
	<Float Name="ExposureTime" NameSpace="Standard">
		<Value>8000.0</Value><Min>20.0</Min><Max>500000.0</Max>
	</Float>
)";
}

// xml in which the camera refuses writes as real cameras do: the region and binning while it
// acquires, the exposure while auto exposure (found on) is on. A locked feature reads through a
// read-only node then, so that every write to it fails.
inline std::string WithLocks(std::string xml) {
    std::string frozen;
    const auto lock = [&](const std::string& feature, const std::string& value,
                          std::string_view by, std::string_view lockedIndex,
                          std::string_view knife) {
        const std::string pointer = "<pValue>" + value + "</pValue>";
        const size_t at = xml.find(pointer);
        if (at == std::string::npos) return;
        xml.replace(at, pointer.size(),
                    "<pIndex>" + std::string(by) + "</pIndex><pValueIndexed Index=\"" +
                        std::string(lockedIndex) + "\">" + feature +
                        "Frozen</pValueIndexed><pValueDefault>" + value + "</pValueDefault>");
        frozen += "\t<" + std::string(knife) + " Name=\"" + feature + "Frozen\"><pVariable Name=\"A\">" +
                  value + "</pVariable><Formula>A</Formula></" + std::string(knife) + ">\n";
    };
    for (const char* feature :
         {"Width", "Height", "OffsetX", "OffsetY", "BinningHorizontal", "BinningVertical"}) {
        lock(feature, std::string(feature) + "Register", "AcquisitionRunningRegister", "1",
             "IntSwissKnife");
    }
    lock("ExposureTimeAbs", "ExposureTimeAbsConverter", "ExposureAutoRegister", "0", "SwissKnife");
    return WithNodes(std::move(xml), frozen + R"(
	<IntReg Name="AcquisitionRunningRegister" NameSpace="Custom">
		<Address>0x124</Address><Length>4</Length><AccessMode>RO</AccessMode>
		<pPort>Device</pPort><Sign>Unsigned</Sign><Endianess>BigEndian</Endianess>
	</IntReg>
	<Enumeration Name="ExposureAuto" NameSpace="Standard">
		<EnumEntry Name="Continuous" NameSpace="Standard"><Value>0</Value></EnumEntry>
		<EnumEntry Name="Off" NameSpace="Standard"><Value>1</Value></EnumEntry>
		<pValue>ExposureAutoRegister</pValue>
	</Enumeration>
	<IntReg Name="ExposureAutoRegister" NameSpace="Custom">
		<Address>0x1e0</Address><Length>4</Length><AccessMode>RW</AccessMode>
		<pPort>Device</pPort><Sign>Unsigned</Sign><Endianess>BigEndian</Endianess>
	</IntReg>
)");
}

// Makes every fake camera opened while it lives use a description of the test's.
class FakeDescription {
public:
    explicit FakeDescription(const std::string& xml)
        : path_(::testing::TempDir() + "vantrel_fake_" + std::to_string(getpid()) + ".xml") {
        std::ofstream(path_) << xml;
        arv_set_fake_camera_genicam_filename(path_.c_str());
    }
    ~FakeDescription() {
        arv_set_fake_camera_genicam_filename(nullptr);
        std::remove(path_.c_str());
    }
    FakeDescription(const FakeDescription&) = delete;
    FakeDescription& operator=(const FakeDescription&) = delete;

private:
    std::string path_;
};

// Whether the fake's diagonal ramp fills a frame: each pixel one above its left neighbour and
// equal to the pixel up and to the right, counting modulo 255 as the fake does.
inline bool IsFakeRamp(const uint8_t* frame, int width, int height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int expected = (frame[0] + x + y) % 255;
            if (frame[y * width + x] != expected) return false;
        }
    }
    return true;
}

// Polls ready() until it holds, for at most a few seconds: the fake delivers 20 to 25 frames a
// second.
template <typename Ready>
bool WaitFor(Ready ready, std::chrono::seconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace vantrel::testing
