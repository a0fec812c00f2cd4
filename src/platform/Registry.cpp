#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/Folders.h"
#include "platform/TextHelpers.h"
#include "platform/UniqueFd.h"

namespace ambrin {

namespace {

constexpr size_t kMaxFileSize = 16u << 20;  // a key file larger than this is not ours

// One line of a key file: a value, or any other text kept verbatim.
struct Line {
    std::string name;  // empty for a verbatim line
    RegValue value;
    std::string verbatim;
};

std::string machineRoot() {
    const char* env = std::getenv("AMBRIN_MACHINE_CONFIG");
    std::string root = env != nullptr && *env != '\0' ? env : "/etc/xdg";
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    makeFolders(root);
    if (::access(root.c_str(), W_OK) != 0) {
        return userConfigFolder();
    }
    return root;
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(c));
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> unquote(std::string_view text, size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= text.size()) {
            return std::nullopt;
        }
        switch (text[pos]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                unsigned value = 0;
                const auto [ptr, ec] = std::from_chars(
                    text.data() + pos + 1, text.data() + std::min(text.size(), pos + 3), value, 16);
                if (ec != std::errc() || ptr != text.data() + pos + 3) {
                    return std::nullopt;
                }
                out += static_cast<char>(value);
                pos += 2;
                break;
            }
            default:
                out += text[pos];
        }
    }
    return std::nullopt;
}

Line parseLine(std::string_view text) {
    Line line;
    size_t pos = 0;
    auto name = unquote(text, pos);
    if (name && !name->empty() && pos < text.size() && text[pos] == '=') {
        ++pos;
        const std::string_view rest = text.substr(pos);
        if (rest.rfind("dword:", 0) == 0) {
            std::uint32_t value = 0;
            const std::string_view digits = rest.substr(6);
            const auto [ptr, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
            if (ec == std::errc() && ptr == digits.data() + digits.size() && !digits.empty()) {
                line.name = std::move(*name);
                line.value.type = RegType::Dword;
                line.value.dword = value;
                return line;
            }
        } else if (auto str = unquote(text, pos); str && pos == text.size()) {
            line.name = std::move(*name);
            line.value.type = RegType::String;
            line.value.text = std::move(*str);
            return line;
        }
    }
    line.verbatim = std::string(text);
    return line;
}

std::string formatLine(const Line& line) {
    if (line.name.empty()) {
        return line.verbatim;
    }
    if (line.value.type == RegType::Dword) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x", line.value.dword);
        return quote(line.name) + "=dword:" + hex;
    }
    return quote(line.name) + "=" + quote(line.value.text);
}

enum class ReadStatus { Ok, Missing, Failed };

ReadStatus readLines(const std::string& file, std::vector<Line>& lines) {
    lines.clear();
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadStatus::Failed;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(got));
        if (content.size() > kMaxFileSize) {
            return ReadStatus::Failed;
        }
    }
    std::string_view rest = content;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view text = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        lines.push_back(parseLine(text));
    }
    return ReadStatus::Ok;
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::write(fd, data.data() + done, data.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

bool replaceFile(const std::string& file, const std::vector<Line>& lines) {
    static std::atomic<unsigned> counter{0};
    std::string content;
    for (const auto& line : lines) {
        content += formatLine(line);
        content += '\n';
    }
    const std::string temp = file + ".tmp." + std::to_string(::getpid()) + "." +
                             std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    {
        UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            return false;
        }
        if (!writeAll(fd.get(), content) || ::fsync(fd.get()) != 0) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Serialises writers of one key file, across threads and processes.
class FileLock {
  public:
    explicit FileLock(const std::string& file)
        : m_fd(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (m_fd.get() >= 0) {
            while (::flock(m_fd.get(), LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    bool held() const { return m_fd.get() >= 0; }

  private:
    UniqueFd m_fd;  // closing it releases the lock
};

}  // namespace

std::string RegistryKey::filePathFor(Hive hive, std::string_view keyPath) {
    std::string path(keyPath);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (asciiLower(path.substr(0, 9)) == "software/") {
        path = path.substr(9);
    }
    // Every component must be a plain name.
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return {};
        }
        start = end + 1;
    }
    const std::string root = hive == Hive::CurrentUser ? userConfigFolder() : machineRoot();
    return root + "/" + path + ".conf";
}

std::unique_ptr<RegistryKey> RegistryKey::open(Hive hive, std::string_view keyPath) {
    std::string file = filePathFor(hive, keyPath);
    if (file.empty() || !fileExists(file)) {
        return nullptr;
    }
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::move(file)));
}

std::unique_ptr<RegistryKey> RegistryKey::create(Hive hive, std::string_view keyPath) {
    std::string file = filePathFor(hive, keyPath);
    if (file.empty()) {
        return nullptr;
    }
    if (!makeFolders(file.substr(0, file.rfind('/')), 0700)) {
        return nullptr;
    }
    if (!fileExists(file)) {
        FileLock lock(file);
        if (!lock.held()) {
            return nullptr;
        }
        std::vector<Line> lines;
        if (readLines(file, lines) == ReadStatus::Missing) {
            Line header;
            header.verbatim = "; Ambrin+ registry key " + std::string(keyPath);
            if (!replaceFile(file, {header})) {
                return nullptr;
            }
        }
    }
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::move(file)));
}

RegResult RegistryKey::query(std::string_view name, RegValue& out) const {
    std::vector<Line> lines;
    switch (readLines(m_file, lines)) {
        case ReadStatus::Missing:
            return RegResult::NotFound;
        case ReadStatus::Failed:
            return RegResult::Error;
        case ReadStatus::Ok:
            break;
    }
    // The last of several lines with one name wins, as a later write would.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (!it->name.empty() && equalsNoCase(it->name, name)) {
            out = it->value;
            return RegResult::Ok;
        }
    }
    return RegResult::NotFound;
}

RegResult RegistryKey::setString(std::string_view name, std::string_view text) {
    RegValue value;
    value.type = RegType::String;
    value.text = std::string(text);
    return setValue(name, &value);
}

RegResult RegistryKey::setDword(std::string_view name, std::uint32_t dword) {
    RegValue value;
    value.type = RegType::Dword;
    value.dword = dword;
    return setValue(name, &value);
}

RegResult RegistryKey::deleteValue(std::string_view name) {
    return setValue(name, nullptr);
}

RegResult RegistryKey::setValue(std::string_view name, const RegValue* value) {
    if (name.empty()) {
        return RegResult::Error;
    }
    FileLock lock(m_file);
    if (!lock.held()) {
        return RegResult::Error;
    }
    std::vector<Line> lines;
    if (readLines(m_file, lines) == ReadStatus::Failed) {
        return RegResult::Error;
    }
    bool found = false;
    std::vector<Line> kept;
    kept.reserve(lines.size() + 1);
    for (auto& line : lines) {
        if (!line.name.empty() && equalsNoCase(line.name, name)) {
            if (value != nullptr && !found) {
                line.value = *value;
                kept.push_back(std::move(line));
            }
            found = true;
            continue;
        }
        kept.push_back(std::move(line));
    }
    if (value == nullptr && !found) {
        return RegResult::NotFound;
    }
    if (value != nullptr && !found) {
        Line line;
        line.name = std::string(name);
        line.value = *value;
        kept.push_back(std::move(line));
    }
    // Empty trailing verbatim lines would otherwise grow by one at every write.
    while (!kept.empty() && kept.back().name.empty() && kept.back().verbatim.empty()) {
        kept.pop_back();
    }
    return replaceFile(m_file, kept) ? RegResult::Ok : RegResult::Error;
}

}  // namespace ambrin
