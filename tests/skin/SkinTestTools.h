#pragma once

#include <string>
#include <utility>
#include <vector>

// Helpers of the skin tests: outside tools, folders, and tar streams laid out by hand.
namespace ambrin::test {

// Runs a shell command; its standard output goes to `output` when given. The exit status.
int runCommand(const std::string& command, std::string* output = nullptr);

// Single-quoted for the shell.
std::string quoted(const std::string& text);

// The names in a folder, sorted; "." and ".." left out.
std::vector<std::string> folderEntries(const std::string& folder);

// A file of `size` bytes whose content depends on `seed`.
std::string patternBytes(size_t size, int seed);

// One tar member as GNU tar lays it out, for headers the package writer would never make.
struct TarMember {
    TarMember(std::string memberName, std::string memberData, char memberType = '0')
        : name(std::move(memberName)), data(std::move(memberData)), type(memberType) {}

    std::string name;
    std::string data;
    char type = '0';
    std::string magic = std::string("ustar  \0", 8);
    std::string sizeField;          // 12 bytes; empty: "%011o" of the data size and a NUL
    bool unsignedChecksum = false;  // the sum of bytes as unsigned values
};

// The member's header block.
std::string tarHeader(const TarMember& member);
// Headers and data padded to whole blocks (no block after whole-block data), then two zero
// blocks.
std::string tarStream(const std::vector<TarMember>& members);

}  // namespace ambrin::test
