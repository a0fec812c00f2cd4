#pragma once

#include <string>
#include <string_view>

namespace ambrin::wizard {

// A URL as the transfer uses it: leading spaces skipped, anything up to "://" dropped, the
// host up to the first ":" or "/", the port after ":" (80 when absent or not a usable
// number), and the path after the first "/" without that slash.
struct UrlParts {
    std::string host;
    int port = 80;
    std::string path;
};

UrlParts splitUrl(std::string_view url);

}  // namespace ambrin::wizard
