// libFuzzer target for what the updater reads from the network and the disk: the HTTP
// answer's header, the manifest, the signature file and public key, and version notes.
// The first byte chooses the reader.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ProfileReader.h"
#include "platform/VersionInfo.h"
#include "wizard/HttpHeader.h"
#include "wizard/MinisignSignature.h"
#include "wizard/UpdateManifest.h"

namespace {

// An empty installation folder of the fuzzer's own.
const std::string& installFolder() {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/wizard-fuzz.XXXXXX";
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? std::string(made) + "/" : std::string("/nonexistent/");
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: {
            // The header arrives in pieces whose size the second byte chooses.
            ambrin::wizard::HttpHeaderReader reader;
            const std::size_t piece = size > 1 ? 1 + data[1] % 64 : 1;
            for (std::size_t at = 0; at < input.size(); at += piece) {
                if (reader.feed(input.substr(at, piece)) !=
                    ambrin::wizard::HttpHeaderReader::State::Incomplete) {
                    break;
                }
            }
            if (reader.state() == ambrin::wizard::HttpHeaderReader::State::Complete &&
                reader.body().size() > input.size()) {
                std::abort();
            }
            break;
        }
        case 1: {
            const auto list =
                ambrin::wizard::readManifest(ambrin::ProfileReader::parse(input), installFolder());
            if (list.entries.size() > static_cast<std::size_t>(ambrin::wizard::kMaxEntries)) {
                std::abort();
            }
            break;
        }
        case 2: {
            const auto signature = ambrin::wizard::MinisignSignature::parse(input);
            const auto key = ambrin::wizard::MinisignPublicKey::parse(input);
            if (signature && key) {
                signature->verify(*key, input);
            }
            break;
        }
        case 3:
            ambrin::VersionInfo::parse(input);
            break;
    }
    return 0;
}
