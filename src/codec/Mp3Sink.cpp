#include "codec/Mp3Sink.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "codec/ByteOrder.h"

namespace ambrin {

namespace {

// One capture buffer: at the highest output rate (48 kHz, six times the input) its frames
// stay well inside the output area (1.25 x 12288 + 7200 bytes at most).
constexpr std::size_t kSamplesPerCall = 2048;

}  // namespace

Mp3Sink::Mp3Sink(std::shared_ptr<Mp3Library> library, int bitRateKbps,
                 std::uint32_t declaredSampleRate)
    : m_bitRateKbps(bitRateKbps),
      m_declaredSampleRate(declaredSampleRate),
      m_encoder(std::move(library)) {}

Mp3Sink::~Mp3Sink() {
    close();
}

bool Mp3Sink::open(const std::string& path) {
    if (m_used) {
        return false;
    }
    m_used = true;
    // "x": O_EXCL, so a recording never overwrites an existing file.
    m_file = openStdioFile(path, "wbx");
    if (!m_file) {
        return false;
    }
    if (!m_encoder.start(m_bitRateKbps, m_declaredSampleRate)) {
        m_file.reset();
        std::remove(path.c_str());
        return false;
    }
    m_output.resize(kOutputAreaBytes);
    return true;
}

bool Mp3Sink::append(int byteCount) {
    if (byteCount < 0) {
        return false;
    }
    const auto size = static_cast<std::size_t>(byteCount);
    return size == 0 || std::fwrite(m_output.data(), 1, size, m_file.get()) == size;
}

bool Mp3Sink::write(const std::int16_t* samples, std::size_t byteCount) {
    if (!m_file || samples == nullptr) {
        return false;
    }
    const std::size_t count = byteCount / 2;
    bool ok = true;
    for (std::size_t done = 0; done < count; done += kSamplesPerCall) {
        const std::size_t piece = std::min(kSamplesPerCall, count - done);
        const std::int16_t* input = samples + done;
        if constexpr (std::endian::native != std::endian::little) {
            // Captured samples are little-endian; LAME takes them in host order.
            const auto* bytes = reinterpret_cast<const unsigned char*>(input);
            m_hostOrder.resize(piece);
            for (std::size_t i = 0; i < piece; ++i) {
                m_hostOrder[i] = static_cast<std::int16_t>(getLe16(bytes + 2 * i));
            }
            input = m_hostOrder.data();
        }
        ok = append(m_encoder.encode(input, piece, m_output.data(), m_output.size())) && ok;
    }
    return ok;
}

void Mp3Sink::close() {
    if (!m_file) {
        return;
    }
    // Nothing reports a failure here: the recording keeps whatever reached the disk.
    append(m_encoder.flush(m_output.data(), m_output.size()));
    closeStdioFile(m_file);
}

}  // namespace ambrin
