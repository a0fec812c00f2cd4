#include "wizard/UrlParts.h"

namespace ambrin::wizard {

UrlParts splitUrl(std::string_view url) {
    while (!url.empty() && url.front() == ' ') {
        url.remove_prefix(1);
    }
    if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos) {
        url.remove_prefix(scheme + 3);
    }
    UrlParts parts;
    const std::size_t hostEnd = url.find_first_of(":/");
    parts.host = std::string(url.substr(0, hostEnd));
    if (hostEnd == std::string_view::npos) {
        return parts;
    }
    std::string_view rest = url.substr(hostEnd);
    if (rest.front() == ':') {
        const std::size_t slash = rest.find('/');
        const std::string_view digits =
            rest.substr(1, slash == std::string_view::npos ? rest.size() - 1 : slash - 1);
        long port = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                break;
            }
            port = port * 10 + (c - '0');
            if (port > 65535) {
                break;
            }
        }
        parts.port = port > 0 && port <= 65535 ? static_cast<int>(port) : 80;
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    }
    if (!rest.empty() && rest.front() == '/') {
        parts.path = std::string(rest.substr(1));
    }
    return parts;
}

}  // namespace ambrin::wizard
