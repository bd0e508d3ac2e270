// The module loader's name mapping, its one folder and last error, and the locale's language id.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "module_folder.h"
#include "platform/locale.h"
#include "platform/module_loader.h"

using testing_support::BinFolder;
using testing_support::ModuleFolder;

TEST(ModuleLoader, MapsDllNamesToSharedObjects) {
    EXPECT_EQ(platform::MapModuleName(L"QxCamLinkDLLDALSA.dll"), "QxCamLinkDLLDALSA.so");
    EXPECT_EQ(platform::MapModuleName(L"PalveroToolLangEng.DLL"), "PalveroToolLangEng.so");
    EXPECT_EQ(platform::MapModuleName(L"libm.so.6"), "libm.so.6");
    EXPECT_EQ(platform::MapModuleName(L".dll"), ".dll");
}

TEST(ModuleLoader, SearchesTheExecutablesFolderByDefault) {
    EXPECT_EQ(platform::ModuleSearchFolder(), platform::ExecutableFolder());
    EXPECT_FALSE(platform::ExecutableFolder().empty());
}

TEST(ModuleLoader, LoadsFromTheProgramsFolder) {
    ModuleFolder folder;
    folder.Add(BinFolder() / "PalveroToolLangEng.so", "Probe.so");
    folder.Activate();
    HMODULE module = LoadLibraryW(L"Probe.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(platform::ModulePath(module), (folder.Path() / "Probe.so").string());
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(ModuleLoader, LoadsNothingFromOutsideTheProgramsFolder) {
    ModuleFolder program;
    program.Activate();
    ModuleFolder working;
    working.Add(BinFolder() / "PalveroToolLangEng.so", "Probe.so");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(working.Path());
    testing::internal::CaptureStderr();
    // Known to the loader cache, in the working folder, and named by a path: all missing.
    EXPECT_EQ(LoadLibraryW(L"libm.so.6"), nullptr);
    EXPECT_EQ(LoadLibraryW(L"Probe.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryW(L"./Probe.so"), nullptr);
    const std::string errors = testing::internal::GetCapturedStderr();
    std::filesystem::current_path(previous);
    // The loader's own reason, naming the one file it tried.
    EXPECT_NE(errors.find((program.Path() / "Probe.so").string() +
                          ": cannot open shared object file"),
              std::string::npos)
        << errors;
}

TEST(ModuleLoader, ReportsMissingModulesAndEntries) {
    ModuleFolder folder;
    folder.Add(BinFolder() / "PalveroToolLangEng.so", "Probe.so");
    folder.Activate();
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryW(L"NoSuchModule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    HMODULE module = LoadLibraryW(L"Probe.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_NE(GetProcAddress(module, "VantrelResourceTable"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    FreeLibrary(module);

    EXPECT_EQ(GetProcAddress(nullptr, "QxCamDetect"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Locale, LanguageIdsFromLocaleNames) {
    EXPECT_EQ(platform::LangIdFromLocaleName("ko_KR.UTF-8"), 0x0412);
    const LANGID northKorea = platform::LangIdFromLocaleName("ko_KP");
    EXPECT_EQ(PRIMARYLANGID(northKorea), LANG_KOREAN);
    EXPECT_NE(northKorea, 0x0412);
    EXPECT_EQ(platform::LangIdFromLocaleName("ko"), 0x0412);
    EXPECT_EQ(platform::LangIdFromLocaleName("en_US.UTF-8"), 0x0409);
    EXPECT_EQ(platform::LangIdFromLocaleName("en_GB"), 0x0809);
    EXPECT_EQ(platform::LangIdFromLocaleName("de_DE@euro"), 0x0407);
    EXPECT_EQ(platform::LangIdFromLocaleName("ja_JP.eucJP"), 0x0411);
    for (const char* english : {"C", "POSIX", "C.UTF-8", "", "xx_YY"})
        EXPECT_EQ(platform::LangIdFromLocaleName(english), 0x0409) << english;
}

TEST(Locale, SystemLanguageFollowsTheLocaleVariablesInOrder) {
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
    setenv("LANG", "ko_KR.UTF-8", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0412);
    setenv("LC_MESSAGES", "en_US.UTF-8", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
    setenv("LC_ALL", "ko_KR.UTF-8", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0412);
    setenv("LC_ALL", "", 1);  // an empty variable does not count
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
}
