#include "skin/MultiStateControl.h"

#include <algorithm>

namespace ambrin {

MultiStateControl::MultiStateControl(std::string name, int states)
    : ButtonControl(std::move(name)), m_states(std::max(1, states)) {
    m_kind = Kind::MultiState;
}

void MultiStateControl::setValue(int value) {
    SkinControl::setValue(std::clamp(value, 0, m_states - 1));
}

QRect MultiStateControl::cell(int look) const {
    return skin::cellOf(m_source, 4, m_states, look, m_value);
}

std::string MultiStateControl::tooltip() const {
    if (m_tooltip.find('|') == std::string::npos) {
        return m_tooltip;
    }
    size_t start = 0;
    for (int index = 0; index < m_value; ++index) {
        start = m_tooltip.find('|', start);
        if (start == std::string::npos) {
            return {};
        }
        ++start;
    }
    return m_tooltip.substr(start, m_tooltip.find('|', start) - start);
}

}  // namespace ambrin
