#include "genicam/access.h"

#include <algorithm>

namespace vantrel::genicam {

ArvGcNode* AvailableNode(ArvDevice* device, const char* feature) {
    ArvGcNode* node = arv_device_get_feature(device, feature);
    if (node == nullptr || !ARV_IS_GC_FEATURE_NODE(node)) return nullptr;
    ArvGcFeatureNode* featureNode = ARV_GC_FEATURE_NODE(node);
    Error error;
    const bool offered = arv_gc_feature_node_is_implemented(featureNode, error.out()) && !error &&
                         arv_gc_feature_node_is_available(featureNode, error.out()) && !error;
    return offered ? node : nullptr;
}

std::optional<int64_t> Integer(ArvDevice* device, const char* feature) {
    ArvGcNode* node = AvailableNode(device, feature);
    if (node == nullptr || !ARV_IS_GC_INTEGER(node)) return std::nullopt;
    Error error;
    const int64_t value = arv_gc_integer_get_value(ARV_GC_INTEGER(node), error.out());
    if (error) return std::nullopt;
    return value;
}

std::optional<IntRange> Range(ArvDevice* device, const char* feature) {
    ArvGcNode* node = AvailableNode(device, feature);
    if (node == nullptr || !ARV_IS_GC_INTEGER(node)) return std::nullopt;
    ArvGcInteger* integer = ARV_GC_INTEGER(node);
    Error error;
    IntRange range;
    range.min = arv_gc_integer_get_min(integer, error.out());
    if (error) return std::nullopt;
    range.max = arv_gc_integer_get_max(integer, error.out());
    if (error) return std::nullopt;
    range.inc = std::max<int64_t>(arv_gc_integer_get_inc(integer, error.out()), 1);
    if (error) return std::nullopt;
    return range;
}

}  // namespace vantrel::genicam
