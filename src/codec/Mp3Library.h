#pragma once

#include <lame/lame.h>

#include <functional>
#include <memory>
#include <string>

namespace ambrin {

// The entry points of the LAME encoder library that the program uses, with LAME's own
// prototypes. Every pointer except lametagFrame is set in a loaded library.
struct LameFunctions {
    // The encoder stream: lame_init + settings + lame_init_params opens it, lame_encode_buffer
    // encodes, lame_encode_flush ends it, lame_close frees it.
    decltype(&::lame_init) init = nullptr;
    decltype(&::lame_init_params) initParams = nullptr;
    decltype(&::lame_encode_buffer) encodeBuffer = nullptr;
    decltype(&::lame_encode_flush) encodeFlush = nullptr;
    decltype(&::lame_close) close = nullptr;
    // Looked up to tell a real LAME from another library of that name, never called: the
    // recordings carry no VBR or information header.
    decltype(&::get_lame_version) version = nullptr;
    decltype(&::lame_mp3_tags_fid) mp3TagsFid = nullptr;
    decltype(&::lame_get_lametag_frame) lametagFrame = nullptr;  // optional: may be null

    // The settings of a recording's stream.
    decltype(&::lame_set_in_samplerate) setInSampleRate = nullptr;
    decltype(&::lame_set_out_samplerate) setOutSampleRate = nullptr;
    decltype(&::lame_set_num_channels) setNumChannels = nullptr;
    decltype(&::lame_set_mode) setMode = nullptr;
    decltype(&::lame_set_brate) setBitRate = nullptr;
    decltype(&::lame_set_VBR) setVbr = nullptr;
    decltype(&::lame_set_bWriteVbrTag) setWriteVbrTag = nullptr;
    decltype(&::lame_set_write_id3tag_automatic) setWriteId3TagAutomatic = nullptr;
    decltype(&::lame_set_emphasis) setEmphasis = nullptr;
    decltype(&::lame_set_extension) setPrivateBit = nullptr;
    decltype(&::lame_set_error_protection) setErrorProtection = nullptr;
    decltype(&::lame_set_copyright) setCopyright = nullptr;
    decltype(&::lame_set_original) setOriginal = nullptr;
    decltype(&::lame_set_disable_reservoir) setDisableReservoir = nullptr;
    decltype(&::lame_set_strict_ISO) setStrictIso = nullptr;
};

// The external MP3 encoder library, libmp3lame.so.0, loaded at run time and never linked:
// MP3 recording is available only where the user has installed it.
//
// Where it is looked for: the program folder first (a file named libmp3lame.so.0 there is
// the one used, good or bad), then the system's library search. AMBRIN_MP3_LIBRARY, when set,
// replaces the name handed to the system search (a file path or a library name), so that
// tests and unusual installations can point elsewhere.
//
// A library is usable when every entry point of LameFunctions except lametagFrame is found.
// Loading, looking up and unloading happen under one process-wide mutex. A loaded library
// stays loaded while any shared_ptr to it lives (each recording's encoder holds one), and is
// unloaded with the last. Any thread.
class Mp3Library {
  public:
    static constexpr const char* kFileName = "libmp3lame.so.0";
    static constexpr const char* kPackageName = "libmp3lame0";  // the Debian package with it
    static constexpr const char* kSearchOverrideVariable = "AMBRIN_MP3_LIBRARY";
    // Where the user can read how to obtain the library.
    static constexpr const char* kDownloadPage = "https://packages.debian.org/stable/libmp3lame0";

    ~Mp3Library();
    Mp3Library(const Mp3Library&) = delete;
    Mp3Library& operator=(const Mp3Library&) = delete;

    // Loads the library for recording. Null when it cannot be loaded or is not usable.
    // `programFolder` is the folder of the running program (with or without a final '/').
    static std::shared_ptr<Mp3Library> load(const std::string& programFolder);

    // Whether the library can be loaded and is usable; it is unloaded again at once (unless a
    // recording holds it).
    static bool probe(const std::string& programFolder);

    // The options page's check when the user picks MP3: probes, and when the library is not
    // usable shows string 41 (Yes/No, question icon) naming the library and `programFolder`;
    // Yes hands the download page to `openPage`. Returns whether the library is usable. Runs
    // on the calling (user-interface) thread and waits for the answer.
    static bool probeOrOfferDownload(
        const std::string& programFolder, bool hasOwner,
        const std::function<bool(const std::string&)>& openPage = nullptr);

    const LameFunctions& functions() const { return m_functions; }
    // The file or name it was loaded from.
    const std::string& origin() const { return m_origin; }

  private:
    struct HandleCloser {
        void operator()(void* handle) const;
    };
    using Handle = std::unique_ptr<void, HandleCloser>;

    Mp3Library(Handle handle, const LameFunctions& functions, std::string origin);

    Handle m_handle;
    LameFunctions m_functions;
    std::string m_origin;
};

}  // namespace ambrin
