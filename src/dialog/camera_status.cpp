#include "dialog/camera_status.h"

#include <sstream>

namespace {

std::wstring CameraName(bool side, bool leftHanded, bool korean) {
    const wchar_t* window = side ? (leftHanded ? L"Left-Left" : L"Right-Right")
                                 : (leftHanded ? L"Left-Top" : L"Right-Top");
    if (korean) return std::wstring(side ? L"측면 카메라(" : L"상단 카메라(") + window + L")";
    return std::wstring(side ? L"The side camera (" : L"The top camera (") + window + L")";
}

}  // namespace

std::wstring CameraStatusSentence(const std::string& status, bool side, bool leftHanded,
                                  bool korean) {
    std::istringstream words(status);
    std::string code, detail;
    words >> code >> detail;
    long width = 0, height = 0, percent = 0;
    std::istringstream(status.substr(code.size())) >> width >> height >> percent;
    const std::wstring camera = CameraName(side, leftHanded, korean);
    const std::wstring sensor = std::to_wstring(width) + L" × " + std::to_wstring(height);
    if (code == "busy") {
        return korean ? camera + L"를 다른 프로그램이 사용하고 있습니다. 그 프로그램(예: 센서의 "
                                 L"소프트웨어)을 닫고 다시 시작하십시오."
                      : camera + L" is in use by another program. Close that program (the "
                                 L"sensor's own software, for example) and start again.";
    }
    if (code == "format") {
        return korean ? camera + L"는 8비트 흑백 영상(Mono8)을 내보내지 못합니다."
                      : camera + L" gives no 8-bit grey picture (Mono8).";
    }
    if (code == "size") {
        return korean ? camera + L"는 640 × 480 영상을 만들지 못합니다(센서 " + sensor + L")."
                      : camera + L" cannot give a 640 × 480 picture (sensor " + sensor + L").";
    }
    if (code == "stream" && detail == "none") {
        return korean ? camera + L"는 응답하지만 영상이 도착하지 않습니다. 방화벽이 카메라의 "
                                 L"UDP 영상 스트림을 허용하는지, 네트워크 카드의 MTU가 카메라의 "
                                 L"패킷 크기 이상인지 확인하십시오."
                      : camera + L" answers, but no picture arrives. Check that the firewall "
                                 L"lets the camera's UDP stream in, and that the network "
                                 L"adapter's MTU is at least the camera's packet size.";
    }
    if (code == "stream") {
        return korean ? camera + L"의 영상이 패킷이 빠진 채 도착합니다. 케이블, 네트워크 카드의 "
                                 L"MTU와 수신 버퍼(net.core.rmem_max)를 확인하십시오."
                      : camera + L"'s pictures arrive with packets missing. Check the cable, "
                                 L"the network adapter's MTU and the receive buffer "
                                 L"(net.core.rmem_max).";
    }
    if (code == "cropped") {
        const std::wstring share = std::to_wstring(percent) + L" %";
        return korean ? camera + L"는 " + sensor + L" 센서를 비닝하지 못해 가운데 640 × 480 "
                                 L"부분만 보여 줍니다(시야의 " + share + L")."
                      : camera + L" cannot bin its " + sensor + L" sensor: the picture is its "
                                 L"centre 640 × 480, " + share + L" of the field of view.";
    }
    return {};
}

std::string CameraStatus::Read(const CamLinkApi& camLink, CameraSlot slot) {
    if (!camLink.GetFeatureValueSTR) return {};
    char text[128] = {};
    if (camLink.GetFeatureValueSTR("VantrelStatus", slot, text, sizeof text) == 0) return {};
    text[sizeof text - 1] = '\0';
    return text;
}

std::wstring CameraStatus::StartFailure(const CamLinkApi& camLink, CameraStatusPair pair,
                                        bool korean) {
    shownThisStart_.clear();
    std::wstring lines;
    for (const bool side : {true, false}) {
        const std::string status = Read(camLink, side ? pair.side : pair.top);
        const std::wstring sentence = CameraStatusSentence(status, side, pair.leftHanded, korean);
        if (!sentence.empty()) lines += L"\n" + sentence;
    }
    return lines;
}

std::wstring CameraStatus::AfterStart(const CamLinkApi& camLink, CameraStatusPair pair,
                                      bool korean) {
    shownThisStart_.clear();
    std::wstring text;
    for (const bool side : {true, false}) {
        const CameraSlot slot = side ? pair.side : pair.top;
        const std::string status = Read(camLink, slot);
        if (status.empty() || !shownThisRun_.insert(std::to_string(slot) + status).second) continue;
        const std::wstring sentence = CameraStatusSentence(status, side, pair.leftHanded, korean);
        if (sentence.empty()) continue;
        text += (text.empty() ? L"" : L"\n") + sentence;
    }
    return text;
}

std::wstring CameraStatus::WithoutPicture(const CamLinkApi& camLink, CameraStatusPair pair,
                                          bool side, bool korean) {
    const CameraSlot slot = side ? pair.side : pair.top;
    const std::string status = Read(camLink, slot);
    // Only a stream that does not arrive is news here; the rest was said at Start.
    if (status.rfind("stream", 0) != 0) return {};
    if (!shownThisStart_.insert(std::to_string(slot) + status).second) return {};
    return CameraStatusSentence(status, side, pair.leftHanded, korean);
}
