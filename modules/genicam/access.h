// Reading a camera's features by name: whether the camera offers one now, and the value and
// accepted range of an integer feature.
#pragma once

#include <cstdint>
#include <optional>

#include "genicam/aravis.h"
#include "genicam/geometry.h"

namespace vantrel::genicam {

// The feature node of that name when the camera implements it and offers it now, or null.
ArvGcNode* AvailableNode(ArvDevice* device, const char* feature);

inline bool Has(ArvDevice* device, const char* feature) {
    return AvailableNode(device, feature) != nullptr;
}

std::optional<int64_t> Integer(ArvDevice* device, const char* feature);
std::optional<IntRange> Range(ArvDevice* device, const char* feature);

}  // namespace vantrel::genicam
