#pragma once

#include <dirent.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <memory>
#include <utility>

#include "platform/UniqueFd.h"

// Owners of the C handles that the package code opens; each closes its handle when it goes.
namespace ambrin {

struct GzCloser {
    void operator()(gzFile file) const { gzclose(file); }
};
// Whoever must know that a written stream was completed closes it with gzclose itself.
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

struct ZipDiscarder {
    // Archives are only read here; discarding never writes.
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscarder>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipEntryFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
// A folder listing; closedir also closes the descriptor it was opened from.
using DirStream = std::unique_ptr<DIR, DirCloser>;

}  // namespace ambrin
