#include "platform/module_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>

struct ModuleRecord {
    void* handle;
    std::string path;
};

namespace {

thread_local DWORD g_lastError = ERROR_SUCCESS;
std::string g_searchFolderOverride;

bool IsBareName(const std::string& name) { return name.find('/') == std::string::npos; }

}  // namespace

namespace platform {

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto c = static_cast<uint32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        uint32_t code = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            code = c;
        } else if ((c >> 5) == 0x6 && i + 1 < text.size()) {
            code = ((c & 0x1F) << 6) | (text[i + 1] & 0x3F);
            len = 2;
        } else if ((c >> 4) == 0xE && i + 2 < text.size()) {
            code = ((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
            len = 3;
        } else if ((c >> 3) == 0x1E && i + 3 < text.size()) {
            code = ((c & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) |
                   ((text[i + 2] & 0x3F) << 6) | (text[i + 3] & 0x3F);
            len = 4;
        }
        out += static_cast<wchar_t>(code);
        i += len;
    }
    return out;
}

std::string MapModuleName(const std::wstring& requested) {
    std::string name = ToUtf8(requested);
    constexpr std::string_view kDll = ".dll";
    if (name.size() > kDll.size()) {
        std::string tail = name.substr(name.size() - kDll.size());
        for (char& ch : tail) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (tail == kDll) name = name.substr(0, name.size() - kDll.size()) + ".so";
    }
    return name;
}

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string ModuleSearchFolder() {
    return g_searchFolderOverride.empty() ? ExecutableFolder() : g_searchFolderOverride;
}

void SetModuleSearchFolder(const std::string& folder) { g_searchFolderOverride = folder; }

std::string ModulePath(HMODULE module) { return module ? module->path : std::string(); }

}  // namespace platform

HMODULE LoadLibraryW(LPCTSTR fileName) {
    const std::string name = fileName ? platform::MapModuleName(fileName) : std::string();
    const std::string folder = platform::ModuleSearchFolder();
    if (name.empty() || !IsBareName(name) || folder.empty()) {
        std::fprintf(stderr, "vantrel: module \"%s\" not loaded: %s\n", name.c_str(),
                     folder.empty() ? "the program's folder is unknown"
                                    : "only a file name in the program's folder is loaded");
        g_lastError = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    // A path with a slash: dlopen takes the file itself and searches nowhere.
    const std::string path = folder + "/" + name;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "vantrel: %s\n", dlerror());
        g_lastError = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    g_lastError = ERROR_SUCCESS;
    return new ModuleRecord{handle, path};
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
    if (!module || !procName) {
        g_lastError = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    dlerror();
    void* symbol = dlsym(module->handle, procName);
    if (!symbol) {
        g_lastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    g_lastError = ERROR_SUCCESS;
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) {
        g_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    const int rc = dlclose(module->handle);
    delete module;
    g_lastError = rc == 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    return rc == 0 ? TRUE : FALSE;
}

DWORD GetLastError() { return g_lastError; }
void SetLastError(DWORD error) { g_lastError = error; }
