#pragma once

#include <functional>
#include <string>

namespace ambrin {

// Message-box style flags and answers, with the values the program has always used.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbDefButton2 = 0x100;
inline constexpr unsigned kMbSetForeground = 0x10000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

inline constexpr const char* kMessageCaption = "Ambrin+";

struct MessageRequest {
    std::string text;
    std::string caption;
    unsigned flags = kMbOk;
    bool hasOwner = false;  // owned by the main window; otherwise shown in the foreground
};

// Shows a request and returns the answer (kIdOk, kIdYes, kIdNo). Called on any thread;
// the presenter must be safe for that.
using MessagePresenter = std::function<int(const MessageRequest&)>;

// Replaces the presenter; an empty function restores the console presenter, which prints
// the text on standard error and takes the default answer (used without a display).
void setMessagePresenter(MessagePresenter presenter);

// The answer a box gives when nobody is there to click: its default button.
int defaultAnswer(unsigned flags);

// Shows a ready text with the caption "Ambrin+". Without an owner the box carries the
// foreground flag.
int showMessage(const std::string& text, unsigned flags, bool hasOwner = false);

// Shows string `stringId` in the calling thread's language.
int showStringMessage(int stringId, unsigned flags, bool hasOwner = false);

}  // namespace ambrin
