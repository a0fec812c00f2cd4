#include "SkinTestTools.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace ambrin::test {

int runCommand(const std::string& command, std::string* output) {
    std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        if (output != nullptr) {
            output->append(buffer, got);
        }
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string patternBytes(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed) * 17 + i / 7) & 0xFF);
    }
    return bytes;
}

std::string tarHeader(const TarMember& member) {
    std::string block(512, '\0');
    auto put = [&block](size_t offset, const std::string& text) {
        std::memcpy(block.data() + offset, text.data(), text.size());
    };
    char number[32];
    put(0, member.name.substr(0, 100));
    put(100, std::string("0000644\0", 8));
    put(108, std::string("0001750\0", 8));
    put(116, std::string("0001750\0", 8));
    std::snprintf(number, sizeof number, "%011o", static_cast<unsigned>(member.data.size()));
    put(124, member.sizeField.empty() ? std::string(number, 12) : member.sizeField);
    put(136, std::string("14770724071\0", 12));
    block[156] = member.type;
    put(257, member.magic);
    put(148, std::string(8, ' '));
    int sum = 0;
    for (const char c : block) {
        sum +=
            member.unsignedChecksum ? static_cast<unsigned char>(c) : static_cast<signed char>(c);
    }
    std::snprintf(number, sizeof number, "%06o", static_cast<unsigned>(sum));
    put(148, std::string(number, 7) + " ");
    return block;
}

std::string tarStream(const std::vector<TarMember>& members) {
    std::string stream;
    for (const TarMember& member : members) {
        stream += tarHeader(member) + member.data;
        stream.append((512 - member.data.size() % 512) % 512, '\0');
    }
    return stream + std::string(1024, '\0');
}

}  // namespace ambrin::test
