#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/TestEnvironment.h"

// Helpers shared by the codec tests: little-endian fields of a file image, and the command-line
// tools (sox, oggenc, GStreamer) that make inputs and check outputs.
namespace ambrin::test {

inline std::uint32_t le16At(const std::string& bytes, std::size_t offset) {
    return static_cast<unsigned char>(bytes.at(offset)) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(offset + 1))) << 8);
}

inline std::uint32_t le32At(const std::string& bytes, std::size_t offset) {
    return le16At(bytes, offset) | (le16At(bytes, offset + 2) << 16);
}

inline std::string le16(std::uint32_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

inline std::string le32(std::uint32_t value) {
    return le16(value & 0xFFFF) + le16(value >> 16);
}

inline bool toolAvailable(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

struct ToolResult {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

// Runs a shell command with its output collected in `outputFile`.
inline ToolResult runTool(const std::string& command, const std::string& outputFile) {
    const int status = std::system((command + " >'" + outputFile + "' 2>&1").c_str());
    ToolResult result;
    result.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = readFile(outputFile);
    return result;
}

inline std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

}  // namespace ambrin::test

#define AMBRIN_REQUIRE_TOOL(name)                        \
    do {                                                 \
        if (!::ambrin::test::toolAvailable(name)) {      \
            GTEST_SKIP() << name << " is not installed"; \
        }                                                \
    } while (false)
