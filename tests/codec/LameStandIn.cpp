// A stand-in for the MP3 encoder library, built as a shared library by the tests: LAME's entry
// points as thin forwards to the real libmp3lame. Variants leave one entry point out
// (WITHOUT_LAMETAG_FRAME, WITHOUT_MP3_TAGS_FID) to show what the loader demands.
#include <dlfcn.h>
#include <lame/lame.h>

namespace {

void* realLibrary() {
    // Kept loaded for the life of the process: forwards may run until the stand-in goes.
    static void* const handle = ::dlopen(AMBRIN_REAL_LAME, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(realLibrary(), name));
}

}  // namespace

#define AMBRIN_FORWARD(result, name, parameters, arguments)        \
    extern "C" result name parameters {                            \
        static const auto target = real<decltype(&::name)>(#name); \
        return target arguments;                                   \
    }

AMBRIN_FORWARD(lame_global_flags*, lame_init, (void), ())
AMBRIN_FORWARD(int, lame_init_params, (lame_global_flags * s), (s))
AMBRIN_FORWARD(int, lame_encode_buffer,
               (lame_global_flags * s, const short l[], const short r[], int n, unsigned char* out,
                int size),
               (s, l, r, n, out, size))
AMBRIN_FORWARD(int, lame_encode_flush, (lame_global_flags * s, unsigned char* out, int size),
               (s, out, size))
AMBRIN_FORWARD(int, lame_close, (lame_global_flags * s), (s))
AMBRIN_FORWARD(const char*, get_lame_version, (void), ())
#ifndef WITHOUT_MP3_TAGS_FID
AMBRIN_FORWARD(void, lame_mp3_tags_fid, (lame_global_flags * s, FILE* file), (s, file))
#endif
#ifndef WITHOUT_LAMETAG_FRAME
AMBRIN_FORWARD(size_t, lame_get_lametag_frame,
               (const lame_global_flags* s, unsigned char* buffer, size_t size), (s, buffer, size))
#endif

AMBRIN_FORWARD(int, lame_set_in_samplerate, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_out_samplerate, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_num_channels, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_mode, (lame_global_flags * s, MPEG_mode v), (s, v))
AMBRIN_FORWARD(int, lame_set_brate, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_VBR, (lame_global_flags * s, vbr_mode v), (s, v))
AMBRIN_FORWARD(int, lame_set_bWriteVbrTag, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(void, lame_set_write_id3tag_automatic, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_emphasis, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_extension, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_error_protection, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_copyright, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_original, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_disable_reservoir, (lame_global_flags * s, int v), (s, v))
AMBRIN_FORWARD(int, lame_set_strict_ISO, (lame_global_flags * s, int v), (s, v))
