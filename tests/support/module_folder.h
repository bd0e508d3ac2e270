// A scratch folder of modules placed in front of the program, the way a technician swaps a
// module: files copied under the names the program asks for.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

/// The program's output folder (the built modules), from VANTREL_BIN_DIR.
std::filesystem::path BinFolder();
/// The folder of the test-double modules.
std::filesystem::path DoublesFolder();

class ModuleFolder {
public:
    ModuleFolder();
    ~ModuleFolder();
    ModuleFolder(const ModuleFolder&) = delete;
    ModuleFolder& operator=(const ModuleFolder&) = delete;

    /// Copies source into the folder as name ("QxCamDetecter.so", ...).
    void Add(const std::filesystem::path& source, const std::string& name);
    /// Makes this the folder the platform loader loads modules from.
    void Activate();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
