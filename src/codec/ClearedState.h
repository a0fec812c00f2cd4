#pragma once

namespace ambrin {

// A libogg or libvorbis state with its clear function, cleared only once initialised (the
// owner sets `active` when the init call succeeded).
template <typename State, auto Clear>
struct ClearedState {
    State state{};
    bool active = false;
    ClearedState() = default;
    ~ClearedState() {
        if (active) {
            Clear(&state);
        }
    }
    ClearedState(const ClearedState&) = delete;
    ClearedState& operator=(const ClearedState&) = delete;
};

}  // namespace ambrin
