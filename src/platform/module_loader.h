// Module loading in the Windows manner over the POSIX loader.
//
// The program asks for the names it always used ("QxCamLinkDLLDALSA.dll"); a bare "X.dll" is
// loaded as "X.so" from the executable's own folder and from nowhere else: a module that is not
// there is missing, whatever LD_LIBRARY_PATH, the loader cache or the working folder hold, and
// when the executable's folder cannot be found every module is missing. The loader keeps its own
// last error: 126 when a module is not found, 127 when an entry is not found, 0 after a clean
// call. Why a module did not load goes to standard error.
#pragma once

#include <string>

#include "platform/win_types.h"

HMODULE LoadLibraryW(LPCTSTR fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
BOOL FreeLibrary(HMODULE module);
DWORD GetLastError();
void SetLastError(DWORD error);

namespace platform {

/// The name the loader tries for a requested module name: "X.dll" -> "X.so"; others unchanged.
std::string MapModuleName(const std::wstring& requested);

/// The one folder modules are loaded from: the executable's folder, unless a test has set
/// another one (empty restores the executable's folder).
std::string ModuleSearchFolder();
void SetModuleSearchFolder(const std::string& folder);

/// The folder of the running executable; empty when it cannot be found.
std::string ExecutableFolder();

/// The path a module handle was loaded from, empty for a null handle.
std::string ModulePath(HMODULE module);

/// Converts between the program's wide strings and UTF-8.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace platform
