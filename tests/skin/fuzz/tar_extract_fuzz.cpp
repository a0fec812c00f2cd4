// libFuzzer target: skin packages read as tar streams (plain or gzip-compressed).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzSandbox.h"
#include "skin/SkinArchive.h"
#include "skin/TarHeader.h"

namespace {

ambrin::fuzz::FuzzSandbox* g_sandbox = nullptr;  // lives for the whole process

// Random bytes rarely carry a valid checksum. For inputs whose first byte is odd, every
// block with the magic gets a correct one, so the fuzzer also reaches member extraction.
void fixChecksums(std::string& bytes) {
    for (size_t offset = 0; offset + ambrin::tar::kBlockSize <= bytes.size();
         offset += ambrin::tar::kBlockSize) {
        ambrin::tar::Block block;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), block.size(),
                    block.begin());
        if (!ambrin::tar::hasMagic(block)) {
            continue;
        }
        char digits[8];
        std::snprintf(digits, sizeof digits, "%06o", ambrin::tar::signedSum(block) & 0777777);
        bytes.replace(offset + 148, 8, std::string(digits, 6) + std::string("\0 ", 2));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_sandbox = new ambrin::fuzz::FuzzSandbox();
    std::atexit([] { delete g_sandbox; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!bytes.empty() && (bytes[0] & 1) != 0) {
        fixChecksums(bytes);
    }
    g_sandbox->writePackage(bytes);
    ambrin::SkinArchive archive;
    const int result = archive.extract(g_sandbox->package(), g_sandbox->target());
    g_sandbox->check(result, archive);
    return 0;
}
