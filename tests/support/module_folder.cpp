#include "module_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/module_loader.h"

namespace testing_support {

std::filesystem::path BinFolder() {
    const char* bin = std::getenv("VANTREL_BIN_DIR");
    if (!bin) throw std::runtime_error("VANTREL_BIN_DIR is not set");
    return bin;
}

std::filesystem::path DoublesFolder() { return BinFolder().parent_path() / "tests" / "doubles"; }

ModuleFolder::ModuleFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-modules-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ModuleFolder::~ModuleFolder() {
    platform::SetModuleSearchFolder({});
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ModuleFolder::Add(const std::filesystem::path& source, const std::string& name) {
    // Unlink first: writing over a module that is still mapped would corrupt it.
    std::filesystem::remove(path_ / name);
    std::filesystem::copy_file(source, path_ / name);
}

void ModuleFolder::Activate() { platform::SetModuleSearchFolder(path_.string()); }

}  // namespace testing_support
