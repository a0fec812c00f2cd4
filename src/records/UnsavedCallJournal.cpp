#include "records/UnsavedCallJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <utility>

#include "platform/UniqueFd.h"
#include "records/RecordLimits.h"

namespace ambrin {

namespace {

constexpr const char* kHeader =
    "# Ambrin+ calls not yet in the database: key, file, seconds, type, Name, CID, Organize, "
    "Address, Contents, ETC1, ETC2\n";
constexpr size_t kFieldCount = 11;
// Attempts to lock a journal that another thread keeps removing under us.
constexpr int kLockAttempts = 100;

// Opens `path` and takes a flock on it. A replay removes an emptied journal while others
// may be waiting for its lock; they must not write into the removed file, so the lock only
// counts when the path still names the locked file.
UniqueFd openLocked(const std::string& path, int flags, int lockType) {
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        UniqueFd file(::open(path.c_str(), flags | O_CLOEXEC, 0644));
        if (!file) {
            return {};
        }
        int rc = 0;
        do {
            rc = ::flock(file.get(), lockType);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            return {};
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(file.get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return file;
        }
    }
    return {};
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string readAll(int fd) {
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return content;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
}

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(c));
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != '\\') {
            out += text[pos];
            continue;
        }
        if (++pos >= text.size()) {
            return std::nullopt;
        }
        switch (text[pos]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 'x': {
                unsigned value = 0;
                const char* first = text.data() + pos + 1;
                const char* last = text.data() + std::min(text.size(), pos + 3);
                const auto [end, error] = std::from_chars(first, last, value, 16);
                if (error != std::errc() || end != first + 2) {
                    return std::nullopt;
                }
                out += static_cast<char>(value);
                pos += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> splitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        if (end == std::string_view::npos) {
            break;  // an unfinished last line: a write that did not complete
        }
        lines.push_back(content.substr(0, end));
        content.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

std::string UnsavedCallJournal::formatLine(const UnsavedCall& call) {
    const CallRecord& r = call.record;
    std::string line = escape(call.key);
    for (const std::string& text :
         {r.fileName, std::to_string(r.totalTime), std::to_string(r.callType), r.name, r.cid,
          r.organize, r.address, r.contents, r.etc1, r.etc2}) {
        line += '\t';
        line += escape(text);
    }
    return line;
}

std::optional<UnsavedCall> UnsavedCallJournal::parseLine(std::string_view line) {
    std::vector<std::string> fields;
    for (;;) {
        const size_t tab = line.find('\t');
        auto field = unescape(line.substr(0, tab));
        if (!field) {
            return std::nullopt;
        }
        fields.push_back(std::move(*field));
        if (tab == std::string_view::npos) {
            break;
        }
        line.remove_prefix(tab + 1);
    }
    if (fields.size() != kFieldCount) {
        return std::nullopt;
    }
    const auto totalTime = parseInt(fields[2]);
    const auto callType = parseInt(fields[3]);
    if (!totalTime || !callType || fields[0].empty()) {
        return std::nullopt;
    }
    UnsavedCall call;
    call.key = std::move(fields[0]);
    CallRecord& r = call.record;
    r.fileName = std::move(fields[1]);
    r.totalTime = *totalTime;
    r.callType = *callType;
    r.name = std::move(fields[4]);
    r.cid = std::move(fields[5]);
    r.organize = std::move(fields[6]);
    r.address = std::move(fields[7]);
    r.contents = std::move(fields[8]);
    r.etc1 = std::move(fields[9]);
    r.etc2 = std::move(fields[10]);
    limitFields(r);
    return call;
}

bool UnsavedCallJournal::append(const UnsavedCall& call) const {
    const UniqueFd file = openLocked(m_path, O_WRONLY | O_APPEND | O_CREAT, LOCK_EX);
    if (!file) {
        return false;
    }
    struct stat info {};
    std::string text = ::fstat(file.get(), &info) == 0 && info.st_size == 0 ? kHeader : "";
    text += formatLine(call);
    text += '\n';
    // A call that is only here must survive a crash that follows.
    return writeAll(file.get(), text) && ::fsync(file.get()) == 0;
}

std::vector<UnsavedCall> UnsavedCallJournal::read() const {
    std::vector<UnsavedCall> calls;
    const UniqueFd file = openLocked(m_path, O_RDONLY, LOCK_SH);
    if (!file) {
        return calls;
    }
    const std::string content = readAll(file.get());
    for (const std::string_view line : splitLines(content)) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (auto call = parseLine(line)) {
            calls.push_back(std::move(*call));
        }
    }
    return calls;
}

int UnsavedCallJournal::replay(const std::function<bool(const UnsavedCall&)>& store) const {
    const UniqueFd file = openLocked(m_path, O_RDWR, LOCK_EX);
    if (!file) {
        return 0;
    }
    const std::string content = readAll(file.get());
    int stored = 0;
    std::string kept;
    for (const std::string_view line : splitLines(content)) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto call = parseLine(line);
        if (!call) {
            continue;  // damaged beyond use
        }
        if (store(*call)) {
            ++stored;
        } else {
            kept.append(line).append("\n");
        }
    }
    if (kept.empty()) {
        ::unlink(m_path.c_str());  // under the lock: waiting writers will notice and reopen
        return stored;
    }
    if (stored > 0) {
        kept.insert(0, kHeader);
        if (::ftruncate(file.get(), 0) == 0 && ::lseek(file.get(), 0, SEEK_SET) == 0) {
            writeAll(file.get(), kept);
            ::fsync(file.get());
        }
    }
    return stored;
}

}  // namespace ambrin
