#include "wizard/UpdateServer.h"

#include <cstdlib>

#include "wizard/UrlParts.h"

#ifndef AMBRIN_UPDATE_SERVER
#define AMBRIN_UPDATE_SERVER "update.tavix.co.kr"
#endif

namespace ambrin::wizard {

UpdateServer UpdateServer::fromText(std::string_view hostAndPort) {
    const UrlParts parts = splitUrl(hostAndPort);
    return UpdateServer{parts.host, parts.port};
}

UpdateServer UpdateServer::current() {
    const char* overridden = std::getenv("AMBRIN_UPDATE_HOST");
    if (overridden != nullptr && *overridden != '\0') {
        return fromText(overridden);
    }
    return fromText(AMBRIN_UPDATE_SERVER);
}

std::string UpdateServer::manifestUrl() const {
    std::string url = "http://" + host;
    if (port != 80) {
        url += ":" + std::to_string(port);
    }
    return url + kManifestPath;
}

}  // namespace ambrin::wizard
