#include "platform/VersionInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/UniqueFd.h"

namespace ambrin {

namespace {

constexpr std::size_t kMaxTextLength = 255;
constexpr std::uint64_t kMaxNoteSection = 64 * 1024;
constexpr std::uint64_t kMaxSectionTable = 1024 * 1024;

// Reads ranges of an ELF image in its own byte order; every read is bounds-checked.
class ElfBytes {
  public:
    virtual ~ElfBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Copies `length` bytes at `offset`; false when the range lies outside the file.
    virtual bool read(std::uint64_t offset, void* out, std::size_t length) const = 0;

    bool bigEndian = false;

    template <typename T>
    bool number(std::uint64_t offset, T& value) const {
        unsigned char raw[sizeof(T)];
        if (!read(offset, raw, sizeof(T))) {
            return false;
        }
        std::uint64_t result = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            const std::size_t at = bigEndian ? i : sizeof(T) - 1 - i;
            result = (result << 8) | raw[at];
        }
        value = static_cast<T>(result);
        return true;
    }
};

class MemoryBytes : public ElfBytes {
  public:
    explicit MemoryBytes(std::string_view data) : m_data(data) {}
    std::uint64_t size() const override { return m_data.size(); }
    bool read(std::uint64_t offset, void* out, std::size_t length) const override {
        if (offset > m_data.size() || length > m_data.size() - offset) {
            return false;
        }
        std::memcpy(out, m_data.data() + offset, length);
        return true;
    }

  private:
    std::string_view m_data;
};

class FileBytes : public ElfBytes {
  public:
    FileBytes(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* out, std::size_t length) const override {
        if (offset > m_size || length > m_size - offset) {
            return false;
        }
        auto* target = static_cast<char*>(out);
        while (length > 0) {
            const ssize_t got = ::pread(m_fd, target, length, static_cast<off_t>(offset));
            if (got <= 0) {
                return false;
            }
            target += got;
            offset += static_cast<std::uint64_t>(got);
            length -= static_cast<std::size_t>(got);
        }
        return true;
    }

  private:
    int m_fd;
    std::uint64_t m_size;
};

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

std::uint64_t align4(std::uint64_t value) {
    return (value + 3) & ~std::uint64_t{3};
}

// The text up to the first NUL of `bytes` from `at`, at most 255 characters; nothing when
// no NUL ends it within the bytes.
std::optional<std::string> textAt(const std::vector<char>& bytes, std::size_t& at) {
    const void* end = std::memchr(bytes.data() + at, '\0', bytes.size() - at);
    if (end == nullptr) {
        return std::nullopt;
    }
    const auto length =
        static_cast<std::size_t>(static_cast<const char*>(end) - (bytes.data() + at));
    std::string text(bytes.data() + at, std::min(length, kMaxTextLength));
    at += length + 1;
    return text;
}

std::optional<VersionInfo> parseNotes(const ElfBytes& elf, const std::vector<char>& notes) {
    std::uint64_t at = 0;
    const std::uint64_t size = notes.size();
    MemoryBytes view(std::string_view(notes.data(), notes.size()));
    view.bigEndian = elf.bigEndian;
    while (size - at >= 12) {
        std::uint32_t nameSize = 0, descSize = 0, type = 0;
        view.number(at, nameSize);
        view.number(at + 4, descSize);
        view.number(at + 8, type);
        const std::uint64_t nameAt = at + 12;
        const std::uint64_t descAt = nameAt + align4(nameSize);
        if (descAt > size || descSize > size - descAt) {
            return std::nullopt;
        }
        const std::string_view owner(notes.data() + nameAt, nameSize);
        const std::string_view expected(kVersionNoteOwner, std::strlen(kVersionNoteOwner) + 1);
        if (type == kVersionNoteType && owner == expected && descSize >= 16) {
            VersionInfo info;
            for (std::size_t i = 0; i < 4; ++i) {
                view.number(descAt + 4 * i, info.version[i]);
            }
            const std::vector<char> texts(
                notes.begin() + static_cast<std::ptrdiff_t>(descAt + 16),
                notes.begin() + static_cast<std::ptrdiff_t>(descAt + descSize));
            std::size_t textAtIndex = 0;
            auto product = textAt(texts, textAtIndex);
            if (!product) {
                return std::nullopt;
            }
            auto description = textAt(texts, textAtIndex);
            if (!description) {
                return std::nullopt;
            }
            info.productName = std::move(*product);
            info.fileDescription = std::move(*description);
            return info;
        }
        at = descAt + align4(descSize);
    }
    return std::nullopt;
}

std::optional<VersionInfo> readElf(ElfBytes& elf) {
    unsigned char ident[16];
    if (!elf.read(0, ident, sizeof ident) || std::memcmp(ident,
                                                         "\x7f"
                                                         "ELF",
                                                         4) != 0) {
        return std::nullopt;
    }
    const bool wide = ident[4] == 2;
    if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) {
        return std::nullopt;
    }
    elf.bigEndian = ident[5] == 2;

    std::uint64_t tableOffset = 0;
    std::uint16_t entrySize = 0, count = 0, namesIndex = 0;
    bool ok = true;
    if (wide) {
        ok = elf.number(0x28, tableOffset) && elf.number(0x3A, entrySize) &&
             elf.number(0x3C, count) && elf.number(0x3E, namesIndex);
    } else {
        std::uint32_t offset32 = 0;
        ok = elf.number(0x20, offset32) && elf.number(0x2E, entrySize) && elf.number(0x30, count) &&
             elf.number(0x32, namesIndex);
        tableOffset = offset32;
    }
    const std::uint16_t minimumEntry = wide ? 64 : 40;
    if (!ok || count == 0 || entrySize < minimumEntry || namesIndex >= count ||
        std::uint64_t{count} * entrySize > kMaxSectionTable) {
        return std::nullopt;
    }

    auto sectionAt = [&](std::uint16_t index, Section& section) {
        const std::uint64_t at = tableOffset + std::uint64_t{index} * entrySize;
        if (wide) {
            return elf.number(at, section.name) && elf.number(at + 4, section.type) &&
                   elf.number(at + 0x18, section.offset) && elf.number(at + 0x20, section.size);
        }
        std::uint32_t offset32 = 0, size32 = 0;
        const bool read = elf.number(at, section.name) && elf.number(at + 4, section.type) &&
                          elf.number(at + 0x10, offset32) && elf.number(at + 0x14, size32);
        section.offset = offset32;
        section.size = size32;
        return read;
    };

    Section names;
    if (!sectionAt(namesIndex, names)) {
        return std::nullopt;
    }
    const std::string_view wanted(kVersionNoteSection);
    for (std::uint16_t i = 0; i < count; ++i) {
        Section section;
        if (!sectionAt(i, section) || section.name >= names.size) {
            continue;
        }
        char name[32] = {};
        const std::uint64_t available =
            std::min<std::uint64_t>(names.size - section.name, sizeof name - 1);
        if (!elf.read(names.offset + section.name, name, static_cast<std::size_t>(available))) {
            continue;
        }
        if (std::string_view(name, strnlen(name, sizeof name)) != wanted) {
            continue;
        }
        constexpr std::uint32_t kNoBits = 8;
        if (section.type == kNoBits || section.size > kMaxNoteSection) {
            return std::nullopt;
        }
        std::vector<char> notes(static_cast<std::size_t>(section.size));
        if (!elf.read(section.offset, notes.data(), notes.size())) {
            return std::nullopt;
        }
        return parseNotes(elf, notes);
    }
    return std::nullopt;
}

}  // namespace

std::optional<VersionInfo> VersionInfo::read(const std::string& path) {
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    FileBytes bytes(file.get(), static_cast<std::uint64_t>(status.st_size));
    return readElf(bytes);
}

std::optional<VersionInfo> VersionInfo::parse(std::string_view elf) {
    MemoryBytes bytes(elf);
    return readElf(bytes);
}

std::string VersionInfo::versionText() const {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
           std::to_string(version[2]) + "." + std::to_string(version[3]);
}

}  // namespace ambrin
