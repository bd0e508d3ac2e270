// VANTREL_MSGBOX_LOG names a file that receives the text of every message box the program shows,
// one per line, for the end-to-end tests, which answer the boxes as a person would.
#include <cstdio>
#include <cstdlib>

#include "platform/message_box.h"

extern "C" __attribute__((visibility("default"))) void VantrelTestHook_MessageShown(
    const char* text) {
    const char* path = std::getenv("VANTREL_MSGBOX_LOG");
    if (!path || !*path || !text) return;
    if (FILE* log = std::fopen(path, "a")) {
        std::fprintf(log, "%s\n", text);
        std::fclose(log);
    }
}
