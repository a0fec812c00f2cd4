// ambrin-update-manifest: writes the "update.txt" of a release folder on standard output.
//
//   ambrin-update-manifest FOLDER BASE_URL [MASTER]
//
// Every regular file of FOLDER becomes one entry: FILE is its name, URL is BASE_URL
// followed by the name, SAVE is the name followed by "_", SIZE its size, VER the version
// of its version note (0,0,0,0 without one) and SHA256 its digest. The file-list section
// is named after the master file's FileDescription (MASTER defaults to "ambrin"), which
// "DEFAULT" names as well. Sign the result with `minisign -S -m update.txt`.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/VersionInfo.h"
#include "wizard/MinisignSignature.h"
#include "wizard/UpdateServer.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: ambrin-update-manifest FOLDER BASE_URL [MASTER]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path folder = argv[1];
    std::string baseUrl = argv[2];
    if (baseUrl.empty() || baseUrl.back() != '/') {
        baseUrl += '/';
    }
    const std::string master = argc == 4 ? argv[3] : "ambrin";
    const auto masterInfo = ambrin::VersionInfo::read((folder / master).string());
    if (!masterInfo || masterInfo->fileDescription.empty()) {
        std::fprintf(stderr,
                     "ambrin-update-manifest: %s has no version note with a FileDescription\n",
                     (folder / master).c_str());
        return 1;
    }
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        if (item.is_regular_file() && name != ambrin::wizard::kManifestName &&
            !name.ends_with(ambrin::wizard::kSignatureSuffix)) {
            names.push_back(name);
        }
    }
    if (error) {
        std::fprintf(stderr, "ambrin-update-manifest: cannot read %s\n", folder.c_str());
        return 1;
    }
    std::sort(names.begin(), names.end());

    const std::string& section = masterInfo->fileDescription;
    std::printf("[UPDATE]\nMASTER=%s\nDEFAULT=%s\n\n[%s]\nCOUNT=%zu\n", master.c_str(),
                section.c_str(), section.c_str(), names.size());
    for (std::size_t n = 0; n < names.size(); ++n) {
        const std::string path = (folder / names[n]).string();
        const auto digest = ambrin::wizard::fileSha256(path);
        const auto size = fs::file_size(path, error);
        if (!digest || error) {
            std::fprintf(stderr, "ambrin-update-manifest: cannot read %s\n", path.c_str());
            return 1;
        }
        const auto info = ambrin::VersionInfo::read(path);
        const auto version = info ? info->version : std::array<std::uint32_t, 4>{};
        std::printf(
            "FILE%zu=%s\nURL%zu=%s%s\nSAVE%zu=%s_\nSIZE%zu=%ju\nVER%zu=%u,%u,%u,%u\nSHA256%zu=%s\n",
            n, names[n].c_str(), n, baseUrl.c_str(), names[n].c_str(), n, names[n].c_str(), n,
            static_cast<std::uintmax_t>(size), n, version[0], version[1], version[2], version[3], n,
            digest->c_str());
    }
    return 0;
}
