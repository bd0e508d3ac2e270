// Detector doubles. VANTREL_DETECT_RESULT is the code QxCamDetect returns; with
// VANTREL_DETECT_NO_EXPORT the module has no QxCamDetect at all. Each call appends a line to
// the file named by VANTREL_DETECT_LOG, so tests can count the calls.
#include <cstdio>
#include <cstdlib>

#include "camlink/camlink_exports.h"

#ifdef VANTREL_DETECT_NO_EXPORT

extern "C" __attribute__((visibility("default"))) int DetectDouble_WithoutDetector(void) {
    return 0;
}

#else

extern "C" int QxCamDetect(void) {
    const char* path = std::getenv("VANTREL_DETECT_LOG");
    if (path != nullptr && *path != '\0') {
        if (FILE* file = std::fopen(path, "a")) {
            std::fputs("QxCamDetect\n", file);
            std::fclose(file);
        }
    }
    return VANTREL_DETECT_RESULT;
}

#endif
