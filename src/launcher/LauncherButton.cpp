#include "launcher/LauncherButton.h"

#include <charconv>

namespace ambrin::launcher {

namespace {

constexpr int kMaxButtons = 64;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A decimal number with optional leading blanks and sign, as the C library reads one.
bool readNumber(std::string_view& text, int& value) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    if (i < text.size() && text[i] == '+') {
        ++i;
    }
    const auto [end, status] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (status != std::errc()) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

ButtonAction LauncherButton::action() const {
    static constexpr std::pair<std::string_view, ButtonAction> kActions[] = {
        {"Exit", ButtonAction::Exit},         {"Setup", ButtonAction::Setup},
        {"Explorer", ButtonAction::Explorer}, {"ReadMe", ButtonAction::ReadMe},
        {"Manual", ButtonAction::Manual},
    };
    for (const auto& [word, action] : kActions) {
        if (name.find(word) != std::string::npos) {
            return action;
        }
    }
    return ButtonAction::None;
}

std::optional<LauncherButton> LauncherButton::parse(std::string_view row) {
    int numbers[8];
    for (int i = 0; i < 8; ++i) {
        if (!readNumber(row, numbers[i]) || row.empty() || row.front() != ',') {
            return std::nullopt;
        }
        row.remove_prefix(1);
    }
    for (const int size : {numbers[2], numbers[3], numbers[6], numbers[7]}) {
        if (size < 0) {
            return std::nullopt;
        }
    }
    while (!row.empty() && isBlank(row.front())) {
        row.remove_prefix(1);
    }
    std::size_t length = 0;
    while (length < row.size() && length < kMaxName && !isBlank(row[length])) {
        ++length;
    }
    if (length == 0) {
        return std::nullopt;
    }
    LauncherButton button;
    const auto rect = [&](int at) {
        // Sizes are checked above; the sums stay far from overflow for 16-bit screens.
        const long right = static_cast<long>(numbers[at]) + numbers[at + 2];
        const long bottom = static_cast<long>(numbers[at + 1]) + numbers[at + 3];
        return ButtonRect{numbers[at], numbers[at + 1],
                          static_cast<int>(std::min(right, 0x7fffffffL)),
                          static_cast<int>(std::min(bottom, 0x7fffffffL))};
    };
    button.hot = rect(0);
    button.picture = rect(4);
    button.name = std::string(row.substr(0, length));
    return button;
}

std::vector<LauncherButton> readButtonTable(const std::function<std::string(int)>& text) {
    int count = 0;
    std::string_view countText;
    const std::string first = text(1);
    countText = first;
    if (!readNumber(countText, count) || count < 0) {
        return {};
    }
    std::vector<LauncherButton> buttons;
    for (int i = 0; i < std::min(count, kMaxButtons); ++i) {
        if (auto button = LauncherButton::parse(text(2 + i))) {
            buttons.push_back(std::move(*button));
        }
    }
    return buttons;
}

int buttonAt(const std::vector<LauncherButton>& buttons, int x, int y) {
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i].hot.contains(x, y)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace ambrin::launcher
