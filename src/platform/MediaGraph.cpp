#include "platform/MediaGraph.h"

#include <gst/gst.h>

#include <cstdlib>
#include <mutex>

namespace ambrin {

namespace {

constexpr GstClockTime kStateTimeout = 5 * GST_SECOND;

void initializeOnce() {
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

struct GstDeleter {
    void operator()(GstElement* element) const {
        gst_element_set_state(element, GST_STATE_NULL);
        gst_object_unref(element);
    }
};

std::string takeError(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    std::string text = error != nullptr ? error->message : "playback error";
    if (error != nullptr) {
        g_error_free(error);
    }
    g_free(debug);
    return text;
}

}  // namespace

struct MediaGraph::Impl {
    std::unique_ptr<GstElement, GstDeleter> playbin;
    GstBus* bus = nullptr;

    ~Impl() {
        if (bus != nullptr) {
            gst_object_unref(bus);
        }
    }

    // Waits for a state change to finish; false on an error or a time-out.
    bool settle(GstStateChangeReturn change) {
        if (change == GST_STATE_CHANGE_FAILURE) {
            return false;
        }
        if (change == GST_STATE_CHANGE_ASYNC) {
            change = gst_element_get_state(playbin.get(), nullptr, nullptr, kStateTimeout);
        }
        return change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL;
    }
};

MediaGraph::MediaGraph() : m_impl(std::make_unique<Impl>()) {
    initializeOnce();
}

MediaGraph::~MediaGraph() = default;

bool MediaGraph::open(const std::string& path) {
    m_error.clear();
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    if (uri == nullptr) {
        m_error = error != nullptr ? error->message : "bad path";
        if (error != nullptr) {
            g_error_free(error);
        }
        return false;
    }
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (playbin == nullptr) {
        g_free(uri);
        m_error = "GStreamer's playbin is not installed";
        return false;
    }
    m_impl->playbin.reset(playbin);
    g_object_set(playbin, "uri", uri, nullptr);
    g_free(uri);
    // Recordings have no picture; never open a video output.
    if (GstElement* video = gst_element_factory_make("fakesink", nullptr)) {
        g_object_set(playbin, "video-sink", video, nullptr);
    }
    if (const char* sink = std::getenv("AMBRIN_AUDIO_SINK"); sink != nullptr && *sink != '\0') {
        GstElement* audio = gst_parse_launch(sink, &error);
        if (error != nullptr) {
            g_error_free(error);
            error = nullptr;
        }
        if (audio != nullptr) {
            g_object_set(playbin, "audio-sink", audio, nullptr);
        }
    }
    m_impl->bus = gst_element_get_bus(playbin);
    if (!m_impl->settle(gst_element_set_state(playbin, GST_STATE_PAUSED))) {
        if (GstMessage* message = gst_bus_pop_filtered(m_impl->bus, GST_MESSAGE_ERROR)) {
            m_error = takeError(message);
            gst_message_unref(message);
        } else if (m_error.empty()) {
            m_error = "the file cannot be played";
        }
        gst_object_unref(m_impl->bus);
        m_impl->bus = nullptr;
        m_impl->playbin.reset();
        return false;
    }
    return true;
}

bool MediaGraph::run() {
    return m_impl->playbin && gst_element_set_state(m_impl->playbin.get(), GST_STATE_PLAYING) !=
                                  GST_STATE_CHANGE_FAILURE;
}

bool MediaGraph::pause() {
    return m_impl->playbin &&
           m_impl->settle(gst_element_set_state(m_impl->playbin.get(), GST_STATE_PAUSED));
}

bool MediaGraph::stop() {
    if (!m_impl->playbin) {
        return false;
    }
    pause();
    return seek(0.0);
}

bool MediaGraph::seek(double seconds) {
    if (!m_impl->playbin) {
        return false;
    }
    const auto target = static_cast<gint64>((seconds < 0 ? 0 : seconds) * GST_SECOND);
    const bool ok =
        gst_element_seek_simple(
            m_impl->playbin.get(), GST_FORMAT_TIME,
            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), target) != 0;
    gst_element_get_state(m_impl->playbin.get(), nullptr, nullptr, kStateTimeout);
    return ok;
}

double MediaGraph::duration() const {
    gint64 nanoseconds = -1;
    if (!m_impl->playbin ||
        !gst_element_query_duration(m_impl->playbin.get(), GST_FORMAT_TIME, &nanoseconds)) {
        return -1.0;
    }
    return static_cast<double>(nanoseconds) / GST_SECOND;
}

double MediaGraph::position() const {
    gint64 nanoseconds = -1;
    if (!m_impl->playbin ||
        !gst_element_query_position(m_impl->playbin.get(), GST_FORMAT_TIME, &nanoseconds)) {
        return -1.0;
    }
    return static_cast<double>(nanoseconds) / GST_SECOND;
}

MediaGraph::Event MediaGraph::waitEvent(std::chrono::milliseconds timeout) {
    if (m_impl->bus == nullptr) {
        return Event::Error;
    }
    GstMessage* message = gst_bus_timed_pop_filtered(
        m_impl->bus, static_cast<GstClockTime>(timeout.count()) * GST_MSECOND,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (message == nullptr) {
        return Event::None;
    }
    const Event event =
        GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS ? Event::EndOfStream : Event::Error;
    if (event == Event::Error) {
        m_error = takeError(message);
    }
    gst_message_unref(message);
    return event;
}

}  // namespace ambrin
