#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ambrin::wizard {

// An Ed25519 public key as `minisign -G` writes it: the base64 line of "Ed", an 8-byte key
// id and the 32-byte key (the ".pub" file's second line; the whole file is accepted too).
struct MinisignPublicKey {
    std::array<std::uint8_t, 8> keyId{};
    std::array<std::uint8_t, 32> key{};

    static std::optional<MinisignPublicKey> parse(std::string_view text);
};

// A detached signature as `minisign -S` writes it (".minisig"): an untrusted comment line,
// the base64 of the algorithm ("Ed" plain, "ED" over the BLAKE2b-512 hash of the file),
// key id and signature, the trusted comment line, and the base64 global signature over
// the signature and the trusted comment.
struct MinisignSignature {
    bool prehashed = false;
    std::array<std::uint8_t, 8> keyId{};
    std::array<std::uint8_t, 64> signature{};
    std::string trustedComment;
    std::array<std::uint8_t, 64> globalSignature{};

    static std::optional<MinisignSignature> parse(std::string_view text);

    // True only when the key ids match and both signatures are valid for `message`.
    bool verify(const MinisignPublicKey& key, std::string_view message) const;
};

// The public key that manifests must be signed with: AMBRIN_UPDATE_PUBLIC_KEY from the
// environment when set, else the one built into the library.
std::optional<MinisignPublicKey> updatePublicKey();

// The SHA-256 of a file as 64 lower-case hex digits; nothing when it cannot be read.
std::optional<std::string> fileSha256(const std::string& path);

}  // namespace ambrin::wizard
