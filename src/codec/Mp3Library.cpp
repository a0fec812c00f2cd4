#include "codec/Mp3Library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

namespace ambrin {

namespace {

// Serialises loading, looking up and unloading the library across threads (the event thread
// starting a recording, the options page probing).
std::mutex g_bindingMutex;

// Where the installation folder goes in string 41.
constexpr std::string_view kFolderPlaceholder = "%s";

template <typename Function>
bool lookUp(void* handle, const char* name, Function& slot) {
    void* symbol = ::dlsym(handle, name);
    slot = reinterpret_cast<Function>(symbol);
    return symbol != nullptr;
}

// Fills `f` from the library; false when a required entry point is missing.
bool bindFunctions(void* handle, LameFunctions& f) {
    bool ok = lookUp(handle, "lame_init", f.init);
    ok = lookUp(handle, "lame_init_params", f.initParams) && ok;
    ok = lookUp(handle, "lame_encode_buffer", f.encodeBuffer) && ok;
    ok = lookUp(handle, "lame_encode_flush", f.encodeFlush) && ok;
    ok = lookUp(handle, "lame_close", f.close) && ok;
    ok = lookUp(handle, "get_lame_version", f.version) && ok;
    ok = lookUp(handle, "lame_mp3_tags_fid", f.mp3TagsFid) && ok;
    lookUp(handle, "lame_get_lametag_frame", f.lametagFrame);

    ok = lookUp(handle, "lame_set_in_samplerate", f.setInSampleRate) && ok;
    ok = lookUp(handle, "lame_set_out_samplerate", f.setOutSampleRate) && ok;
    ok = lookUp(handle, "lame_set_num_channels", f.setNumChannels) && ok;
    ok = lookUp(handle, "lame_set_mode", f.setMode) && ok;
    ok = lookUp(handle, "lame_set_brate", f.setBitRate) && ok;
    ok = lookUp(handle, "lame_set_VBR", f.setVbr) && ok;
    ok = lookUp(handle, "lame_set_bWriteVbrTag", f.setWriteVbrTag) && ok;
    ok = lookUp(handle, "lame_set_write_id3tag_automatic", f.setWriteId3TagAutomatic) && ok;
    ok = lookUp(handle, "lame_set_emphasis", f.setEmphasis) && ok;
    ok = lookUp(handle, "lame_set_extension", f.setPrivateBit) && ok;
    ok = lookUp(handle, "lame_set_error_protection", f.setErrorProtection) && ok;
    ok = lookUp(handle, "lame_set_copyright", f.setCopyright) && ok;
    ok = lookUp(handle, "lame_set_original", f.setOriginal) && ok;
    ok = lookUp(handle, "lame_set_disable_reservoir", f.setDisableReservoir) && ok;
    ok = lookUp(handle, "lame_set_strict_ISO", f.setStrictIso) && ok;
    return ok;
}

std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// The file in the program folder when there is one, else what the system search is given.
std::string libraryToOpen(const std::string& programFolder) {
    if (!programFolder.empty()) {
        const std::string local = withoutTrailingSlash(programFolder) + "/" + Mp3Library::kFileName;
        if (fileExists(local)) {
            return local;
        }
    }
    const char* override = std::getenv(Mp3Library::kSearchOverrideVariable);
    return override != nullptr && *override != '\0' ? override : Mp3Library::kFileName;
}

}  // namespace

void Mp3Library::HandleCloser::operator()(void* handle) const {
    std::lock_guard lock(g_bindingMutex);
    ::dlclose(handle);
}

Mp3Library::Mp3Library(Handle handle, const LameFunctions& functions, std::string origin)
    : m_handle(std::move(handle)), m_functions(functions), m_origin(std::move(origin)) {}

Mp3Library::~Mp3Library() = default;

std::shared_ptr<Mp3Library> Mp3Library::load(const std::string& programFolder) {
    const std::string origin = libraryToOpen(programFolder);
    void* raw = nullptr;
    LameFunctions functions;
    {
        std::lock_guard lock(g_bindingMutex);
        // RTLD_LOCAL: its symbols must not satisfy anything else in the process.
        raw = ::dlopen(origin.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (raw == nullptr) {
            return nullptr;
        }
        if (!bindFunctions(raw, functions)) {
            ::dlclose(raw);
            return nullptr;
        }
    }
    // The handle's closer takes the mutex itself, so it is made outside the lock.
    Handle handle(raw);
    return std::shared_ptr<Mp3Library>(new Mp3Library(std::move(handle), functions, origin));
}

bool Mp3Library::probe(const std::string& programFolder) {
    return load(programFolder) != nullptr;
}

bool Mp3Library::probeOrOfferDownload(const std::string& programFolder, bool hasOwner,
                                      const std::function<bool(const std::string&)>& openPage) {
    if (probe(programFolder)) {
        return true;
    }
    std::string text = loadString(str::kMp3EncoderMissing);
    const std::size_t at = text.find(kFolderPlaceholder);
    if (at != std::string::npos) {
        text.replace(at, kFolderPlaceholder.size(), withoutTrailingSlash(programFolder));
    }
    if (showMessage(text, kMbYesNo | kMbIconQuestion, hasOwner) == kIdYes) {
        if (openPage) {
            openPage(kDownloadPage);
        } else {
            openWithDesktop(kDownloadPage);
        }
    }
    return false;
}

}  // namespace ambrin
