#include "records/CallContentList.h"

#include <cstdio>
#include <memory>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/StdioFile.h"
#include "records/RecordDatabase.h"

namespace ambrin {

namespace {

// Bytes taken by one read of the file, the terminating zero included.
constexpr int kReadSize = 260;
// The longest content that comes back from the file as one line.
constexpr size_t kMaxContentBytes = kReadSize - 2;

}  // namespace

CallContentList::CallContentList(const AppContext& context)
    : m_path(fileInInstallFolder(context, kContentFileName)) {
    std::string folder =
        context.settings != nullptr ? context.settings->stringOr(setting::kInstallPath, "") : "";
    if (!folder.empty()) {
        if (folder.back() != '/') {
            folder += '/';
        }
        const std::string installed = folder + kContentFileName;
        if (installed != m_path) {
            m_installedPath = installed;
        }
    }
}

bool CallContentList::LoadContents() {
    Slots loaded;
    StdioFile file = m_path.empty() ? nullptr : openStdioFile(m_path, "r");
    if (!file && !m_installedPath.empty() && !fileExists(m_path)) {
        file = openStdioFile(m_installedPath, "r");
    }
    if (file) {
        char buffer[kReadSize];
        size_t next = 0;
        while (next < kSlotCount && std::fgets(buffer, kReadSize, file.get()) != nullptr) {
            std::string piece(buffer);
            if (piece.empty() || piece.back() != '\n') {
                continue;
            }
            piece.pop_back();
            if (!piece.empty() && piece.back() == '\r') {
                piece.pop_back();  // written on Windows
            }
            loaded[next++] = std::move(piece);
        }
    }
    std::lock_guard lock(m_mutex);
    m_slots = std::move(loaded);
    return file != nullptr;
}

bool CallContentList::SaveContents() const {
    const Slots current = slots();
    StdioFile file = m_path.empty() ? nullptr : openStdioFile(m_path, "w");
    if (!file) {
        return false;
    }
    bool written = true;
    for (const std::string& text : current) {
        if (!text.empty()) {
            written = std::fputs(text.c_str(), file.get()) >= 0 &&
                      std::fputc('\n', file.get()) != EOF && written;
        }
    }
    return std::fclose(file.release()) == 0 && written;
}

bool CallContentList::ContainsContent(const std::string& text) const {
    if (text.empty()) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    for (const std::string& slot : m_slots) {
        if (slot == text) {
            return true;
        }
    }
    return false;
}

bool CallContentList::AddContent(const std::string& text) {
    if (text.empty() || text.size() > kMaxContentBytes ||
        text.find_first_of("\r\n") != std::string::npos) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    for (std::string& slot : m_slots) {
        if (slot.empty()) {
            slot = text;
            return true;
        }
    }
    return false;
}

bool CallContentList::RemoveContent(const std::string& text) {
    if (text.empty()) {
        return false;  // would match a free slot
    }
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < kSlotCount; ++i) {
        if (m_slots[i] == text) {
            for (size_t j = i; j + 1 < kSlotCount; ++j) {
                m_slots[j] = std::move(m_slots[j + 1]);
            }
            m_slots[kSlotCount - 1].clear();
            return true;
        }
    }
    return false;
}

CallContentList::Slots CallContentList::slots() const {
    std::lock_guard lock(m_mutex);
    return m_slots;
}

}  // namespace ambrin
