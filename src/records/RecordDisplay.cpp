#include "records/RecordDisplay.h"

#include <cctype>
#include <cstdio>

#include "platform/StringTable.h"
#include "platform/TextHelpers.h"

namespace ambrin {

namespace {
constexpr size_t kKeyDigits = 14;

bool allDigits(std::string_view text) {
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return !text.empty();
}
}  // namespace

std::string displayDate(std::string_view key) {
    if (key.size() < kKeyDigits) {
        return std::string(key);
    }
    std::string out;
    out.reserve(19);
    out.append(key.substr(0, 4)).append("-").append(key.substr(4, 2)).append("-");
    out.append(key.substr(6, 2)).append(" ").append(key.substr(8, 2)).append(":");
    out.append(key.substr(10, 2)).append(":").append(key.substr(12, 2));
    return out;
}

std::string keyFromDisplayDate(std::string_view text, RangeEnd end) {
    // "yyyy-MM-dd" or "yyyy-MM-dd hh:mm:ss"; the fields must be digits.
    const auto field = [&](size_t at, size_t length) { return text.substr(at, length); };
    const auto dateOk = [&] {
        return text.size() >= 10 && text[4] == '-' && text[7] == '-' && allDigits(field(0, 4)) &&
               allDigits(field(5, 2)) && allDigits(field(8, 2));
    };
    if (!dateOk()) {
        return {};
    }
    std::string key;
    key.append(field(0, 4)).append(field(5, 2)).append(field(8, 2));
    if (text.size() == 10) {
        return key + (end == RangeEnd::Start ? "000000" : "235959");
    }
    if (text.size() == 19 && text[10] == ' ' && text[13] == ':' && text[16] == ':' &&
        allDigits(field(11, 2)) && allDigits(field(14, 2)) && allDigits(field(17, 2))) {
        return key.append(field(11, 2)).append(field(14, 2)).append(field(17, 2));
    }
    return {};
}

std::string displayDuration(int totalSeconds) {
    return formatHms(totalSeconds);
}

std::string displayCallType(int callType) {
    switch (callType) {
        case kCallInbound:
            return loadString(str::kCallTypeInbound);
        case kCallOutbound:
            return loadString(str::kCallTypeOutbound);
        default:
            return loadString(str::kCallTypeUnknown);
    }
}

std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

std::string recordingFileName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

RecordingKind recordingKindOf(std::string_view path) {
    const std::string name = recordingFileName(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        return RecordingKind::Other;
    }
    const std::string extension = asciiLower(std::string_view(name).substr(dot + 1));
    if (extension == "ogg") {
        return RecordingKind::Ogg;
    }
    if (extension == "mp3" || extension == "mp2" || extension == "mp1") {
        return RecordingKind::Mpeg;
    }
    return RecordingKind::Other;
}

}  // namespace ambrin
