#pragma once

#include <string>
#include <string_view>

namespace ambrin::wizard {

// Where the manifest and the probe page live on the update server.
inline constexpr const char* kManifestPath = "/product/update/ambrin_update/update.txt";
inline constexpr const char* kProbePath = "/product/update/ambrin_update/probe.php";
inline constexpr const char* kSignatureSuffix = ".minisig";
inline constexpr const char* kManifestName = "update.txt";

// The update server: the build's default host (AMBRIN_UPDATE_SERVER), or "host[:port]"
// from the environment variable AMBRIN_UPDATE_HOST, for tests and private mirrors.
struct UpdateServer {
    std::string host;
    int port = 80;

    static UpdateServer current();
    static UpdateServer fromText(std::string_view hostAndPort);

    std::string manifestUrl() const;  // "http://host[:port]/product/.../update.txt"
};

}  // namespace ambrin::wizard
