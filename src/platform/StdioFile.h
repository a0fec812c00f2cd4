#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace ambrin {

struct StdioFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// An open stdio stream, closed when the pointer goes. Code that must know whether the last
// buffered bytes reached the disk calls closeStdioFile() itself.
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

inline StdioFile openStdioFile(const std::string& path, const char* mode) {
    return StdioFile(std::fopen(path.c_str(), mode));
}

// Closes the stream now; false when its buffered bytes could not be written.
inline bool closeStdioFile(StdioFile& file) {
    if (!file) {
        return true;
    }
    return std::fclose(file.release()) == 0;
}

}  // namespace ambrin
