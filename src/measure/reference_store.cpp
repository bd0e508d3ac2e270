#include "measure/reference_store.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "measure/atomic_file.h"

namespace measure {
namespace {

// Creates folder and its parents, private to the user where they are new.
int MakeFolders(const std::string& folder) {
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// A text for one line of the sidecar: line breaks and other control characters become spaces.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}

std::string FileStamp(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%SZ", &utc);
    return text;
}

std::string Sidecar(const ReferenceInfo& info, const std::string& pictureName) {
    std::ostringstream out;
    out.precision(10);
    out << "picture=" << pictureName << "\nposition=" << OneLine(info.position)
        << "\ntaken_at=" << info.takenAt << "\ntaken_at_local=" << LocalDateTime(info.takenAt)
        << "\n";
    if (std::isfinite(info.exposure)) out << "exposure=" << info.exposure << "\n";
    if (std::isfinite(info.gain)) out << "gain=" << info.gain << "\n";
    out << "model=" << OneLine(info.model) << "\nserial=" << OneLine(info.serial) << "\n";
    return out.str();
}

double Number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' ? value : std::nan("");
}

// Reads a sidecar; false when it names no picture or no position.
bool ReadSidecar(const std::string& path, std::string& pictureName, ReferenceInfo& info) {
    std::ifstream file(path);
    std::string line;
    while (file && std::getline(file, line) && line.size() < 4096) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "picture") pictureName = value;
        if (key == "position") info.position = value;
        if (key == "taken_at") info.takenAt = std::strtoll(value.c_str(), nullptr, 10);
        if (key == "exposure") info.exposure = Number(value);
        if (key == "gain") info.gain = Number(value);
        if (key == "model") info.model = value;
        if (key == "serial") info.serial = value;
    }
    // The picture lies beside its sidecar: a name with a slash is not one of ours.
    return !pictureName.empty() && pictureName.find('/') == std::string::npos &&
           !info.position.empty();
}

// 2 for "RR-20261209-051530Z-2.txt", the second reference kept in that second; else 1.
int Ordinal(const std::string& sidecarPath) {
    const std::string name = sidecarPath.substr(sidecarPath.rfind('/') + 1);
    const size_t z = name.rfind("Z-");
    return z == std::string::npos ? 1 : std::atoi(name.c_str() + z + 2);
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

ReferenceStore::ReferenceStore(std::string folder) : folder_(std::move(folder)) {}

std::string ReferenceStore::DefaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/vantrel/references";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/vantrel/references";
    return {};
}

int ReferenceStore::Save(const cv::Mat& picture, const ReferenceInfo& info,
                         StoredReference* saved) const {
    if (folder_.empty() || info.position.empty() ||
        info.position.find_first_of("/.") != std::string::npos || picture.type() != CV_8UC1 ||
        picture.cols != kReferenceWidth || picture.rows != kReferenceHeight)
        return EINVAL;
    if (const int error = MakeFolders(folder_)) return error;
    const std::string pixels = EncodePgm(picture);
    // A second reference within the same second gets a number rather than replacing the first.
    for (int attempt = 1; attempt < 100; ++attempt) {
        std::string name = info.position + "-" + FileStamp(info.takenAt);
        if (attempt > 1) name += "-" + std::to_string(attempt);
        StoredReference stored{folder_ + "/" + name + ".pgm", folder_ + "/" + name + ".txt", info};
        int error =
            WriteFileAtomically(stored.picturePath, pixels.data(), pixels.size(), Existing::kKeep);
        if (error == EEXIST) continue;
        if (error) return error;
        const std::string text = Sidecar(info, name + ".pgm");
        error = WriteFileAtomically(stored.sidecarPath, text.data(), text.size(), Existing::kKeep);
        if (error) {
            unlink(stored.picturePath.c_str());
            if (error == EEXIST) continue;
            return error;
        }
        if (saved) *saved = stored;
        return 0;
    }
    return EEXIST;
}

std::vector<StoredReference> ReferenceStore::List(const std::string& position) const {
    std::vector<StoredReference> found;
    DIR* folder = folder_.empty() ? nullptr : opendir(folder_.c_str());
    if (!folder) return found;
    const std::string prefix = position + "-";
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.rfind(prefix, 0) != 0 || name.size() < 4 ||
            name.compare(name.size() - 4, 4, ".txt") != 0)
            continue;
        StoredReference reference;
        reference.sidecarPath = folder_ + "/" + name;
        std::string pictureName;
        if (!ReadSidecar(reference.sidecarPath, pictureName, reference.info) ||
            reference.info.position != position)
            continue;
        reference.picturePath = folder_ + "/" + pictureName;
        if (IsFile(reference.picturePath)) found.push_back(std::move(reference));
    }
    closedir(folder);
    std::sort(found.begin(), found.end(), [](const StoredReference& a, const StoredReference& b) {
        if (a.info.takenAt != b.info.takenAt) return a.info.takenAt > b.info.takenAt;
        return Ordinal(a.sidecarPath) > Ordinal(b.sidecarPath);
    });
    return found;
}

PictureProblem ReferenceStore::Load(const StoredReference& reference, cv::Mat& picture) {
    return ReadPgm(reference.picturePath, picture);
}

std::string LocalDateTime(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

}  // namespace measure
