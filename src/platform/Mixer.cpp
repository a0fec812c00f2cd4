#include "platform/Mixer.h"

#include "platform/PulseConnection.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/volume.h>

#include <chrono>
#include <mutex>

namespace ambrin {

namespace {

Mixer::PortKind kindOf(const pa_source_port_info& port) {
    if (port.type == PA_DEVICE_PORT_TYPE_MIC) {
        return Mixer::PortKind::Microphone;
    }
    if (port.type == PA_DEVICE_PORT_TYPE_LINE) {
        return Mixer::PortKind::Line;
    }
    // Servers that do not report port types: go by the usual names.
    const std::string name = port.name != nullptr ? port.name : "";
    if (name.find("mic") != std::string::npos) {
        return Mixer::PortKind::Microphone;
    }
    if (name.find("line") != std::string::npos) {
        return Mixer::PortKind::Line;
    }
    return Mixer::PortKind::Other;
}

}  // namespace

struct Mixer::Impl {
    PulseConnection connection{"Ambrin+ mixer"};
    std::mutex noticeMutex;  // guards notice
    std::function<void()> notice;

    // Everything below runs with the loop locked.

    // The server's default source or sink name; empty when it has none.
    std::string defaultName(bool source) {
        struct Result {
            const PulseConnection* connection;
            std::string source;
            std::string sink;
        } result{&connection, {}, {}};
        auto* operation = pa_context_get_server_info(
            connection.context(),
            [](pa_context*, const pa_server_info* info, void* data) {
                auto* r = static_cast<Result*>(data);
                if (info != nullptr) {
                    r->source =
                        info->default_source_name != nullptr ? info->default_source_name : "";
                    r->sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
                }
                r->connection->signal();
            },
            &result);
        if (!connection.waitFor(operation)) {
            return {};
        }
        return source ? result.source : result.sink;
    }
};

namespace {

// How long the mixer waits for the server to accept it.
constexpr std::chrono::milliseconds kConnectTimeout{5000};

struct Completion {
    const PulseConnection* connection;
    bool success = false;
};

void onSuccess(pa_context*, int success, void* data) {
    auto* completion = static_cast<Completion*>(data);
    completion->success = success != 0;
    completion->connection->signal();
}

}  // namespace

Mixer::Mixer() : m_impl(std::make_unique<Impl>()) {}

Mixer::~Mixer() {
    if (m_impl->connection.isOpen()) {
        PulseConnection::Lock lock(m_impl->connection);
        pa_context_set_subscribe_callback(m_impl->connection.context(), nullptr, nullptr);
    }
}

bool Mixer::connect() {
    PulseConnection& connection = m_impl->connection;
    if (connection.isOpen()) {
        PulseConnection::Lock lock(connection);
        if (connection.ready()) {
            return true;
        }
        pa_context_set_subscribe_callback(connection.context(), nullptr, nullptr);
    }
    // A failed or lost connection is closed completely; the next call starts afresh.
    if (!connection.connect(kConnectTimeout)) {
        return false;
    }
    PulseConnection::Lock lock(connection);
    pa_context_set_subscribe_callback(
        connection.context(),
        [](pa_context*, pa_subscription_event_type_t, uint32_t, void* data) {
            auto* impl = static_cast<Impl*>(data);
            std::function<void()> notice;
            {
                std::lock_guard noticeLock(impl->noticeMutex);
                notice = impl->notice;
            }
            if (notice) {
                notice();
            }
        },
        m_impl.get());
    pa_operation* operation = pa_context_subscribe(
        connection.context(),
        static_cast<pa_subscription_mask_t>(
            PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
        nullptr, nullptr);
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
    return true;
}

bool Mixer::connected() const {
    if (!m_impl->connection.isOpen()) {
        return false;
    }
    PulseConnection::Lock lock(m_impl->connection);
    return m_impl->connection.ready();
}

std::optional<Mixer::Source> Mixer::defaultSource() {
    if (!connect()) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(m_impl->connection);
    struct Result {
        const PulseConnection* connection;
        std::optional<Source> source;
    } result{&m_impl->connection, std::nullopt};
    const std::string name = m_impl->defaultName(true);
    if (!name.empty()) {
        auto* operation = pa_context_get_source_info_by_name(
            m_impl->connection.context(), name.c_str(),
            [](pa_context*, const pa_source_info* info, int eol, void* data) {
                auto* r = static_cast<Result*>(data);
                if (eol == 0 && info != nullptr) {
                    Source source;
                    source.name = info->name;
                    source.description = info->description != nullptr ? info->description : "";
                    for (uint32_t i = 0; i < info->n_ports; ++i) {
                        const pa_source_port_info& port = *info->ports[i];
                        source.ports.push_back({port.name,
                                                port.description != nullptr ? port.description : "",
                                                kindOf(port)});
                    }
                    if (info->active_port != nullptr) {
                        source.activePort = info->active_port->name;
                    }
                    source.volume = info->volume.channels > 0 ? info->volume.values[0] : 0;
                    source.channels = info->volume.channels;
                    source.muted = info->mute != 0;
                    r->source = std::move(source);
                }
                r->connection->signal();
            },
            &result);
        m_impl->connection.waitFor(operation);
    }
    return result.source;
}

std::optional<Mixer::Sink> Mixer::defaultSink() {
    if (!connect()) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(m_impl->connection);
    struct Result {
        const PulseConnection* connection;
        std::optional<Sink> sink;
    } result{&m_impl->connection, std::nullopt};
    const std::string name = m_impl->defaultName(false);
    if (!name.empty()) {
        auto* operation = pa_context_get_sink_info_by_name(
            m_impl->connection.context(), name.c_str(),
            [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                auto* r = static_cast<Result*>(data);
                if (eol == 0 && info != nullptr) {
                    Sink sink;
                    sink.name = info->name;
                    sink.volume = info->volume.channels > 0 ? info->volume.values[0] : 0;
                    sink.channels = info->volume.channels;
                    r->sink = std::move(sink);
                }
                r->connection->signal();
            },
            &result);
        m_impl->connection.waitFor(operation);
    }
    return result.sink;
}

bool Mixer::change(
    const std::function<pa_operation*(pa_context*, SuccessCallback, void*)>& request) {
    if (!connect()) {
        return false;
    }
    PulseConnection::Lock lock(m_impl->connection);
    Completion completion{&m_impl->connection};
    return m_impl->connection.waitFor(
               request(m_impl->connection.context(), onSuccess, &completion)) &&
           completion.success;
}

bool Mixer::setSourcePort(const std::string& source, const std::string& port) {
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_source_port_by_name(context, source.c_str(), port.c_str(), done,
                                                  data);
    });
}

bool Mixer::setSourceVolume(const std::string& source, std::uint8_t channels,
                            std::uint32_t volume) {
    pa_cvolume levels;
    pa_cvolume_set(&levels, channels == 0 ? 1 : channels, volume);
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_source_volume_by_name(context, source.c_str(), &levels, done, data);
    });
}

bool Mixer::setSourceMute(const std::string& source, bool muted) {
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_source_mute_by_name(context, source.c_str(), muted ? 1 : 0, done,
                                                  data);
    });
}

bool Mixer::setSinkVolume(const std::string& sink, std::uint8_t channels, std::uint32_t volume) {
    pa_cvolume levels;
    pa_cvolume_set(&levels, channels == 0 ? 1 : channels, volume);
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_sink_volume_by_name(context, sink.c_str(), &levels, done, data);
    });
}

void Mixer::onChange(std::function<void()> notice) {
    std::lock_guard lock(m_impl->noticeMutex);
    m_impl->notice = std::move(notice);
}

}  // namespace ambrin
