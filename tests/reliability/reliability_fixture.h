// The in-process dialog with a misbehaving or a simulated camera in front of it, and the checks
// that the reliability tests share.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "dialog_fixture.h"
#include "faulty/faulty_api.h"

class ReliabilityTest : public DialogTest {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Puts faulty_camlink.so in front of the program as the DALSA module, with the detector
    /// answering DALSA, and keeps it loaded so its counters can be read. faults is the
    /// VANTREL_FAULTS text ("" for a healthy camera); it must parse.
    void UseFaultyCamera(const std::string& faults);
    /// Changes the faults; the module takes them at the next InitDevice, that is the next Start.
    void SetFaults(const std::string& faults);
    const vantrel::testing::FaultyCamApi& Faulty();
    /// The built simulated DALSA module with the detector answering DALSA.
    void UseSimulatedCamera();
    /// Makes a scratch folder the current directory, so Save Image writes there.
    void EnterScratchFolder();

    /// Ticks the check box into state (BST_CHECKED / BST_UNCHECKED) and sends its BN_CLICKED.
    void SetCheckBox(int id, int state);
    /// Sets the slider's thumb and sends the release notification.
    void ReleaseSliderAt(int id, int position);
    int SliderPos(int id);
    int SliderMin(int id);
    int SliderMax(int id);
    bool StartEnabled();
    bool StopEnabled();

    /// The pixel of the working image at (x, y); the image must exist.
    int PixelAt(int x, int y);
    /// True when the working image is black except for the centre guide the dialog draws by
    /// default: rows 228 and 252 white, the rest of the probed pixels 0.
    ::testing::AssertionResult IsBlackWithCentreGuide();
    /// True when the working image carries slot's healthy pattern away from the overlays.
    ::testing::AssertionResult CarriesPattern(int slot);

    std::unique_ptr<vantrel::testing::FaultyCamModule> faulty_;
    std::filesystem::path previousFolder_;
};
