// libFuzzer target: skin packages read as zip archives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSandbox.h"
#include "skin/SkinArchive.h"

namespace {

ambrin::fuzz::FuzzSandbox* g_sandbox = nullptr;  // lives for the whole process
const std::string kZipMagic("PK\x03\x04", 4);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_sandbox = new ambrin::fuzz::FuzzSandbox();
    std::atexit([] { delete g_sandbox; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.compare(0, kZipMagic.size(), kZipMagic) != 0) {
        bytes.insert(0, kZipMagic);  // always the zip path
    }
    g_sandbox->writePackage(bytes);
    ambrin::SkinArchive archive;
    const int result = archive.extract(g_sandbox->package(), g_sandbox->target());
    g_sandbox->check(result, archive);
    return 0;
}
