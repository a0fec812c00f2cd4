#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/SkinWindow.h"
#include "app/SkinWindowOwner.h"

namespace ambrin::test {

// A window owner that writes down every call as one text: "Play:0", "key:p", "wheel:-1",
// "middle", "mixer:3", "created", "menu", "updater". On a slider's release it adds the
// value the owner reads back ("Seek:5=40").
class RecordingWindowOwner : public SkinWindowOwner {
  public:
    void onAction(const std::string& control, int code) override {
        std::string entry = control + ":" + std::to_string(code);
        int value = 0;
        if (code == 5 && window != nullptr && window->readValue(control, value) == 0) {
            entry += "=" + std::to_string(value);
        }
        calls.push_back(entry);
    }
    void onKey(int character) override {
        calls.push_back("key:" + std::string(1, static_cast<char>(character)));
    }
    void onWheel(int steps) override { calls.push_back("wheel:" + std::to_string(steps)); }
    void onMiddleClick() override { calls.push_back("middle"); }
    void onMixerChange(int controlId) override {
        calls.push_back("mixer:" + std::to_string(controlId));
    }
    void onCreated() override { calls.push_back("created"); }
    void onRightButton(const QPoint& /*globalPosition*/) override { calls.push_back("menu"); }
    void onStartUpdater() override { calls.push_back("updater"); }

    std::vector<std::string> take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    SkinWindow* window = nullptr;
};

}  // namespace ambrin::test
