#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

#include "platform/StringTable.h"

namespace ambrin {

namespace {

std::mutex g_presenterMutex;  // guards g_presenter
MessagePresenter g_presenter;

int consolePresenter(const MessageRequest& request) {
    const int answer = defaultAnswer(request.flags);
    std::string line = request.caption + ": " + request.text;
    if ((request.flags & 0xF) == kMbYesNo) {
        line += answer == kIdYes ? " [answered Yes]" : " [answered No]";
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return answer;
}

}  // namespace

void setMessagePresenter(MessagePresenter presenter) {
    std::lock_guard lock(g_presenterMutex);
    g_presenter = std::move(presenter);
}

int defaultAnswer(unsigned flags) {
    if ((flags & 0xF) == kMbYesNo) {
        return (flags & kMbDefButton2) != 0 ? kIdNo : kIdYes;
    }
    return kIdOk;
}

int showMessage(const std::string& text, unsigned flags, bool hasOwner) {
    MessageRequest request{text, kMessageCaption, hasOwner ? flags : flags | kMbSetForeground,
                           hasOwner};
    MessagePresenter presenter;
    {
        std::lock_guard lock(g_presenterMutex);
        presenter = g_presenter;
    }
    // Called outside the lock: a presenter may wait for the user.
    return presenter ? presenter(request) : consolePresenter(request);
}

int showStringMessage(int stringId, unsigned flags, bool hasOwner) {
    return showMessage(loadString(stringId), flags, hasOwner);
}

}  // namespace ambrin
