#include "platform/Mixer.h"

#include "platform/PulseLoop.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/volume.h>

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
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    std::mutex noticeMutex;  // guards notice
    std::function<void()> notice;

    // Everything below runs with the loop locked.
    bool ready() const { return context != nullptr && pa_context_get_state(context) == PA_CONTEXT_READY; }

    // Waits for an operation to finish; false when the server went away meanwhile.
    bool wait(pa_operation* operation) {
        if (operation == nullptr) {
            return false;
        }
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
            pa_threaded_mainloop_wait(loop);
        }
        const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
        pa_operation_unref(operation);
        return done;
    }

    void disconnect() {
        if (context != nullptr) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
    }

    // The server's default source or sink name; empty when it has none.
    std::string defaultName(bool source) {
        struct Result {
            Impl* self;
            std::string source;
            std::string sink;
        } result{this, {}, {}};
        auto* operation = pa_context_get_server_info(
            context,
            [](pa_context*, const pa_server_info* info, void* data) {
                auto* r = static_cast<Result*>(data);
                if (info != nullptr) {
                    r->source = info->default_source_name != nullptr ? info->default_source_name : "";
                    r->sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
                }
                pa_threaded_mainloop_signal(r->self->loop, 0);
            },
            &result);
        if (!wait(operation)) {
            return {};
        }
        return source ? result.source : result.sink;
    }

    bool succeeded(pa_operation* operation, bool& success) {
        return wait(operation) && success;
    }
};

namespace {

struct Completion {
    pa_threaded_mainloop* loop;
    bool success = false;
};

void onSuccess(pa_context*, int success, void* data) {
    auto* completion = static_cast<Completion*>(data);
    completion->success = success != 0;
    pa_threaded_mainloop_signal(completion->loop, 0);
}

}  // namespace

Mixer::Mixer() : m_impl(std::make_unique<Impl>()) {}

Mixer::~Mixer() {
    if (m_impl->loop != nullptr) {
        pa_threaded_mainloop_lock(m_impl->loop);
        m_impl->disconnect();
        pa_threaded_mainloop_unlock(m_impl->loop);
        pa_threaded_mainloop_stop(m_impl->loop);
        pa_threaded_mainloop_free(m_impl->loop);
    }
}

bool Mixer::connect() {
    if (m_impl->loop == nullptr) {
        m_impl->loop = pa_threaded_mainloop_new();
        if (m_impl->loop == nullptr || !startThreadedLoop(m_impl->loop)) {
            return false;
        }
    }
    pa_threaded_mainloop_lock(m_impl->loop);
    if (m_impl->ready()) {
        pa_threaded_mainloop_unlock(m_impl->loop);
        return true;
    }
    m_impl->disconnect();
    m_impl->context = pa_context_new(pa_threaded_mainloop_get_api(m_impl->loop), "Ambrin+ mixer");
    bool ok = false;
    if (m_impl->context != nullptr) {
        pa_context_set_state_callback(
            m_impl->context,
            [](pa_context*, void* data) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(data), 0); },
            m_impl->loop);
        if (pa_context_connect(m_impl->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            for (;;) {
                const pa_context_state_t state = pa_context_get_state(m_impl->context);
                if (state == PA_CONTEXT_READY) {
                    ok = true;
                    break;
                }
                if (!PA_CONTEXT_IS_GOOD(state)) {
                    break;
                }
                pa_threaded_mainloop_wait(m_impl->loop);
            }
        }
    }
    if (ok) {
        pa_context_set_subscribe_callback(
            m_impl->context,
            [](pa_context*, pa_subscription_event_type_t, uint32_t, void* data) {
                auto* impl = static_cast<Impl*>(data);
                std::function<void()> notice;
                {
                    std::lock_guard lock(impl->noticeMutex);
                    notice = impl->notice;
                }
                if (notice) {
                    notice();
                }
            },
            m_impl.get());
        pa_operation* operation = pa_context_subscribe(
            m_impl->context,
            static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK |
                                                PA_SUBSCRIPTION_MASK_SERVER),
            nullptr, nullptr);
        if (operation != nullptr) {
            pa_operation_unref(operation);
        }
    } else {
        m_impl->disconnect();
    }
    pa_threaded_mainloop_unlock(m_impl->loop);
    return ok;
}

bool Mixer::connected() const {
    if (m_impl->loop == nullptr) {
        return false;
    }
    pa_threaded_mainloop_lock(m_impl->loop);
    const bool ready = m_impl->ready();
    pa_threaded_mainloop_unlock(m_impl->loop);
    return ready;
}

std::optional<Mixer::Source> Mixer::defaultSource() {
    if (!connect()) {
        return std::nullopt;
    }
    pa_threaded_mainloop_lock(m_impl->loop);
    struct Result {
        pa_threaded_mainloop* loop;
        std::optional<Source> source;
    } result{m_impl->loop, std::nullopt};
    const std::string name = m_impl->defaultName(true);
    if (!name.empty()) {
        auto* operation = pa_context_get_source_info_by_name(
            m_impl->context, name.c_str(),
            [](pa_context*, const pa_source_info* info, int eol, void* data) {
                auto* r = static_cast<Result*>(data);
                if (eol == 0 && info != nullptr) {
                    Source source;
                    source.name = info->name;
                    source.description = info->description != nullptr ? info->description : "";
                    for (uint32_t i = 0; i < info->n_ports; ++i) {
                        const pa_source_port_info& port = *info->ports[i];
                        source.ports.push_back({port.name, port.description != nullptr ? port.description : "",
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
                pa_threaded_mainloop_signal(r->loop, 0);
            },
            &result);
        m_impl->wait(operation);
    }
    pa_threaded_mainloop_unlock(m_impl->loop);
    return result.source;
}

std::optional<Mixer::Sink> Mixer::defaultSink() {
    if (!connect()) {
        return std::nullopt;
    }
    pa_threaded_mainloop_lock(m_impl->loop);
    struct Result {
        pa_threaded_mainloop* loop;
        std::optional<Sink> sink;
    } result{m_impl->loop, std::nullopt};
    const std::string name = m_impl->defaultName(false);
    if (!name.empty()) {
        auto* operation = pa_context_get_sink_info_by_name(
            m_impl->context, name.c_str(),
            [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                auto* r = static_cast<Result*>(data);
                if (eol == 0 && info != nullptr) {
                    Sink sink;
                    sink.name = info->name;
                    sink.volume = info->volume.channels > 0 ? info->volume.values[0] : 0;
                    sink.channels = info->volume.channels;
                    r->sink = std::move(sink);
                }
                pa_threaded_mainloop_signal(r->loop, 0);
            },
            &result);
        m_impl->wait(operation);
    }
    pa_threaded_mainloop_unlock(m_impl->loop);
    return result.sink;
}

bool Mixer::change(const std::function<pa_operation*(pa_context*, SuccessCallback, void*)>& request) {
    if (!connect()) {
        return false;
    }
    pa_threaded_mainloop_lock(m_impl->loop);
    Completion completion{m_impl->loop};
    const bool ok = m_impl->succeeded(request(m_impl->context, onSuccess, &completion), completion.success);
    pa_threaded_mainloop_unlock(m_impl->loop);
    return ok;
}

bool Mixer::setSourcePort(const std::string& source, const std::string& port) {
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_source_port_by_name(context, source.c_str(), port.c_str(), done, data);
    });
}

bool Mixer::setSourceVolume(const std::string& source, std::uint8_t channels, std::uint32_t volume) {
    pa_cvolume levels;
    pa_cvolume_set(&levels, channels == 0 ? 1 : channels, volume);
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_source_volume_by_name(context, source.c_str(), &levels, done, data);
    });
}

bool Mixer::setSourceMute(const std::string& source, bool muted) {
    return change([&](pa_context* context, pa_context_success_cb_t done, void* data) {
        return pa_context_set_source_mute_by_name(context, source.c_str(), muted ? 1 : 0, done, data);
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
