#include "wizard/MinisignSignature.h"

#include <sodium.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/StdioFile.h"
#include "platform/TextHelpers.h"

#ifndef AMBRIN_UPDATE_PUBLIC_KEY
#error "AMBRIN_UPDATE_PUBLIC_KEY must name the update signing key (see RELEASING.md)"
#endif

namespace ambrin::wizard {

namespace {

constexpr std::string_view kUntrusted = "untrusted comment:";
constexpr std::string_view kTrusted = "trusted comment: ";
constexpr std::size_t kMaxLine = 8192;

bool sodiumReady() {
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

// Decodes one base64 line into exactly `size` bytes.
bool decode(std::string_view line, std::uint8_t* out, std::size_t size) {
    if (!sodiumReady() || line.empty() || line.size() > kMaxLine) {
        return false;
    }
    std::vector<unsigned char> bytes(line.size());
    std::size_t length = 0;
    const char* end = nullptr;
    if (::sodium_base642bin(bytes.data(), bytes.size(), line.data(), line.size(), nullptr, &length,
                            &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != line.data() + line.size() || length != size) {
        return false;
    }
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), out);
    return true;
}

}  // namespace

std::optional<MinisignPublicKey> MinisignPublicKey::parse(std::string_view text) {
    std::string_view line = takeLine(text);
    if (line.substr(0, kUntrusted.size()) == kUntrusted) {
        line = takeLine(text);
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    std::uint8_t raw[42];
    if (!decode(line, raw, sizeof raw) || raw[0] != 'E' || raw[1] != 'd') {
        return std::nullopt;
    }
    MinisignPublicKey key;
    std::copy(raw + 2, raw + 10, key.keyId.begin());
    std::copy(raw + 10, raw + 42, key.key.begin());
    return key;
}

std::optional<MinisignSignature> MinisignSignature::parse(std::string_view text) {
    if (text.size() > 4 * kMaxLine) {
        return std::nullopt;
    }
    if (takeLine(text).substr(0, kUntrusted.size()) != kUntrusted) {
        return std::nullopt;
    }
    std::uint8_t raw[74];
    if (!decode(takeLine(text), raw, sizeof raw) || raw[0] != 'E' ||
        (raw[1] != 'd' && raw[1] != 'D')) {
        return std::nullopt;
    }
    MinisignSignature signature;
    signature.prehashed = raw[1] == 'D';
    std::copy(raw + 2, raw + 10, signature.keyId.begin());
    std::copy(raw + 10, raw + 74, signature.signature.begin());
    const std::string_view trusted = takeLine(text);
    if (trusted.substr(0, kTrusted.size()) != kTrusted) {
        return std::nullopt;
    }
    signature.trustedComment = std::string(trusted.substr(kTrusted.size()));
    if (!decode(takeLine(text), signature.globalSignature.data(),
                signature.globalSignature.size())) {
        return std::nullopt;
    }
    return signature;
}

bool MinisignSignature::verify(const MinisignPublicKey& key, std::string_view message) const {
    if (!sodiumReady() || key.keyId != keyId) {
        return false;
    }
    std::vector<unsigned char> signedBytes;
    if (prehashed) {
        signedBytes.resize(crypto_generichash_BYTES_MAX);
        ::crypto_generichash(signedBytes.data(), signedBytes.size(),
                             reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                             nullptr, 0);
    } else {
        signedBytes.assign(message.begin(), message.end());
    }
    if (::crypto_sign_verify_detached(signature.data(), signedBytes.data(), signedBytes.size(),
                                      key.key.data()) != 0) {
        return false;
    }
    // The trusted comment is signed together with the signature itself.
    std::vector<unsigned char> global(signature.begin(), signature.end());
    global.insert(global.end(), trustedComment.begin(), trustedComment.end());
    return ::crypto_sign_verify_detached(globalSignature.data(), global.data(), global.size(),
                                         key.key.data()) == 0;
}

std::optional<MinisignPublicKey> updatePublicKey() {
    const char* overridden = std::getenv("AMBRIN_UPDATE_PUBLIC_KEY");
    if (overridden != nullptr && *overridden != '\0') {
        return MinisignPublicKey::parse(overridden);
    }
    return MinisignPublicKey::parse(AMBRIN_UPDATE_PUBLIC_KEY);
}

std::optional<std::string> fileSha256(const std::string& path) {
    StdioFile file = openStdioFile(path, "rb");
    if (!file || !sodiumReady()) {
        return std::nullopt;
    }
    crypto_hash_sha256_state state;
    ::crypto_hash_sha256_init(&state);
    std::vector<unsigned char> buffer(64 * 1024);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        ::crypto_hash_sha256_update(&state, buffer.data(), got);
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    unsigned char digest[crypto_hash_sha256_BYTES];
    ::crypto_hash_sha256_final(&state, digest);
    char hex[2 * crypto_hash_sha256_BYTES + 1];
    ::sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return std::string(hex);
}

}  // namespace ambrin::wizard
