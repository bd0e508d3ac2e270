// Writes the GenICam descriptions that the GigE Vision end-to-end test serves through Aravis's fake
// camera (arv-fake-gv-camera-0.8 -g FILE), one NAME.xml each, all derived from the fake's own
// description: the ways real cameras differ that Vantrel must cope with.
//
// Usage: fake_descriptions FOLDER
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fake_camera.h"

namespace {

using namespace vantrel::testing;

// Replaces the first occurrence of from; the description must contain it.
std::string Replaced(std::string xml, const std::string& from, const std::string& to) {
    const size_t at = xml.find(from);
    if (at == std::string::npos) {
        std::fprintf(stderr, "fake_descriptions: \"%s\" not found\n", from.c_str());
        std::exit(1);
    }
    return xml.replace(at, from.size(), to);
}

// A register of the fake's memory that its own description leaves unused.
std::string Register(const char* name, const char* address) {
    return std::string("<IntReg Name=\"") + name + "\" NameSpace=\"Custom\"><Address>" + address +
           "</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>"
           "<Sign>Unsigned</Sign><Endianess>BigEndian</Endianess></IntReg>\n";
}

std::string WithoutBinning(std::string xml) {
    for (const char* feature : {"BinningHorizontal", "BinningVertical"}) {
        const std::string name = std::string("Name=\"") + feature + "\"";
        xml = Replaced(std::move(xml), name, std::string("Name=\"Unused") + feature + "\"");
    }
    return xml;
}

std::vector<std::pair<std::string, std::string>> Descriptions() {
    const std::string fake = BuiltInDescription();
    return {
        // The fake itself: older feature names (ExposureTimeAbs, GainRaw), a 2048 x 2048 sensor
        // with binning.
        {"stock", fake},
        // Standard feature names: Gain in decibels, ExposureTime, DeviceTemperature.
        {"sfnc", WithNodes(fake, ModernNodes("RR"))},
        // Gain in half-decibel steps.
        {"gain-db-steps",
         WithNodes(fake, R"(<Float Name="GainAbs" NameSpace="Standard"><Value>0</Value><Min>0</Min>
            <Max>24</Max><Inc>0.5</Inc><Unit>dB</Unit></Float>)")},
        // An older camera's temperature behind a selector.
        {"temperature-selector",
         WithNodes(fake, Register("TemperatureSelectorRegister", "0x1e0") + R"(
            <Enumeration Name="TemperatureSelector" NameSpace="Standard">
              <EnumEntry Name="Sensor" NameSpace="Standard"><Value>0</Value></EnumEntry>
              <EnumEntry Name="Mainboard" NameSpace="Standard"><Value>1</Value></EnumEntry>
              <pValue>TemperatureSelectorRegister</pValue><pSelected>TemperatureAbs</pSelected>
            </Enumeration>
            <Float Name="TemperatureAbs" NameSpace="Standard"><Value>43.5</Value><Unit>C</Unit></Float>
         )")},
        // A frame rate that needs an enable flag, or a mode, to take effect.
        {"rate-enable",
         WithNodes(fake, Register("RateEnableRegister", "0x1e4") + R"(
            <Boolean Name="AcquisitionFrameRateEnable" NameSpace="Standard">
              <pValue>RateEnableRegister</pValue><OnValue>1</OnValue><OffValue>0</OffValue>
            </Boolean>)")},
        {"rate-mode",
         WithNodes(fake, Register("RateModeRegister", "0x1e8") + R"(
            <Enumeration Name="AcquisitionFrameRateMode" NameSpace="Standard">
              <EnumEntry Name="Off" NameSpace="Standard"><Value>0</Value></EnumEntry>
              <EnumEntry Name="Basic" NameSpace="Standard"><Value>1</Value></EnumEntry>
              <pValue>RateModeRegister</pValue>
            </Enumeration>)")},
        // A rate the camera reports but does not let be set.
        {"rate-readonly", Replaced(fake, "<Float Name=\"AcquisitionFrameRate\">",
                                   "<Float Name=\"AcquisitionFrameRate\">\n"
                                   "<ImposedAccessMode>RO</ImposedAccessMode>")},
        // A 1280 x 1024 sensor, with binning and without.
        {"sensor-binning", WithSensor(fake, 1280, 1024)},
        {"sensor-no-binning", WithoutBinning(WithSensor(fake, 1280, 1024))},
        // A camera whose picture is always 1280 x 1024.
        {"fixed-size",
         WithNodes(WithoutBinning(WithSensor(
                       Replaced(Replaced(fake, "<pValue>WidthRegister</pValue>",
                                         "<pValue>FixedWidth</pValue>"),
                                "<pValue>HeightRegister</pValue>", "<pValue>FixedHeight</pValue>"),
                       1280, 1024)),
                   R"(<IntSwissKnife Name="FixedWidth"><Formula>1280</Formula></IntSwissKnife>
            <IntSwissKnife Name="FixedHeight"><Formula>1024</Formula></IntSwissKnife>)")},
        // A colour camera.
        {"colour", WithoutMono8(fake)},
        // A camera that refuses the region while it acquires and the exposure while auto
        // exposure is on.
        {"locked", WithLocks(fake)},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fake_descriptions FOLDER\n");
        return 2;
    }
    for (const auto& [name, xml] : Descriptions()) {
        std::ofstream file(std::string(argv[1]) + "/" + name + ".xml");
        file << xml;
        if (!file) {
            std::fprintf(stderr, "fake_descriptions: cannot write %s.xml\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
