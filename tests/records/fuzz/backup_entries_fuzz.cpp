// libFuzzer target: the entry list of a backup part, as a restore reads it before it writes
// anything. Every entry it accepts must name a place below the recording folder (a drive
// letter is refused only at the start of a name; "C:" further in is a folder name here).
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "records/BackupArchive.h"

namespace {

void checkPath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos ||
        path == ".." || path.rfind("../", 0) == 0 || path.find("/../") != std::string::npos ||
        (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes as one entry name.
    const std::string name(reinterpret_cast<const char*>(data), size);
    if (const auto path = ambrin::entryPath(name)) {
        checkPath(*path);
    }
    // The bytes as a whole archive.
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (source != nullptr) {
        zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
        if (archive == nullptr) {
            zip_source_free(source);
        } else {
            const ambrin::ZipHandle owner(archive);
            std::vector<ambrin::ArchiveEntry> entries;
            if (ambrin::readEntryList(archive, entries)) {
                for (const ambrin::ArchiveEntry& entry : entries) {
                    checkPath(entry.path);
                }
            }
        }
    }
    zip_error_fini(&error);
    return 0;
}
