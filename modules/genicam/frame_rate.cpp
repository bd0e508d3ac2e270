#include "genicam/frame_rate.h"

#include <string_view>

#include "genicam/access.h"
#include "genicam/values.h"

namespace vantrel::genicam {

namespace {

// Switches a rate mode that is "Off" to "Basic", or failing that to the first other entry.
void SwitchRateModeOn(ArvDevice* device, Settings& settings) {
    ArvGcNode* node = AvailableNode(device, "AcquisitionFrameRateMode");
    if (node == nullptr || !ARV_IS_GC_ENUMERATION(node)) return;
    ArvGcEnumeration* mode = ARV_GC_ENUMERATION(node);
    Error error;
    const char* current = arv_gc_enumeration_get_string_value(mode, error.out());
    if (error || current == nullptr || std::string_view(current) != "Off") return;
    guint count = 0;
    const char** entries =
        arv_gc_enumeration_dup_available_string_values(mode, &count, error.out());
    const char* chosen = nullptr;
    for (guint i = 0; i < count; ++i) {
        const std::string_view entry(entries[i]);
        if (entry == "Basic") chosen = entries[i];
        if (chosen == nullptr && entry != "Off") chosen = entries[i];
    }
    if (chosen != nullptr) settings.SetEntry("AcquisitionFrameRateMode", chosen, &error);
    g_free(entries);
}

}  // namespace

void RequestFrameRate(ArvDevice* device, Settings& settings) {
    Error error;
    // Settings writes only a feature the camera offers.
    settings.SetBoolean("AcquisitionFrameRateEnable", true, &error);
    SwitchRateModeOn(device, settings);
    for (const char* feature : {"AcquisitionFrameRate", "AcquisitionFrameRateAbs"}) {
        ArvGcNode* node = AvailableNode(device, feature);
        if (node == nullptr || !ARV_IS_GC_FLOAT(node)) continue;
        ArvGcFloat* rate = ARV_GC_FLOAT(node);
        const double min = arv_gc_float_get_min(rate, error.out());
        if (error) continue;
        const double max = arv_gc_float_get_max(rate, error.out());
        if (error) continue;
        const double wanted = ClampToBounds(kRequestedFrameRate, {min, max});
        if (settings.SetFloat(feature, wanted, &error)) return;
    }
}

}  // namespace vantrel::genicam
