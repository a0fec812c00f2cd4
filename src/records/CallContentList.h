#pragma once

#include <array>
#include <mutex>
#include <string>

namespace ambrin {

class AppContext;

// The stock call contents' file, in the installation folder (in the user's data folder when
// the installation is read-only; the installed list is then where a user's list starts).
inline constexpr const char* kContentFileName = "DefaultContent.txt";

// Up to 20 stock phrases the user can drop into a call's contents, kept in
// "DefaultContent.txt" one a line. Slots keep their order; an empty slot is free.
//
// The owner loads the list after creating it and saves it before dropping it (and after
// every change). Safe to use from several threads: the information dialog reads the slots
// while the options window changes them.
class CallContentList {
  public:
    static constexpr size_t kSlotCount = 20;
    using Slots = std::array<std::string, kSlotCount>;

    // Works on `filePath`; `installedPath`, when given, is read instead while `filePath`
    // does not exist yet.
    explicit CallContentList(std::string filePath, std::string installedPath = {})
        : m_path(std::move(filePath)), m_installedPath(std::move(installedPath)) {}
    // Works on "DefaultContent.txt" in the writable folder of InstallPath, starting from the
    // installation's own list when that folder is the user's data folder.
    explicit CallContentList(const AppContext& context);

    const std::string& filePath() const { return m_path; }

    // Empties every slot, then fills them from the file: it is read 259 bytes at most at a
    // time; a piece that ends in a line feed goes, without it (and without a carriage return
    // before it), into the next slot, while a piece without one (a last line without a line
    // end, or the start of a line longer than 258 bytes) is skipped. Stops after 20 slots.
    // A missing file is replaced by the installed list, when there is one. False, with all
    // slots empty, when neither can be opened.
    bool LoadContents();
    // Writes every non-empty slot in order, each followed by "\n". False when the file
    // cannot be written.
    bool SaveContents() const;

    // Whether a non-empty slot holds exactly `text`.
    bool ContainsContent(const std::string& text) const;
    // Puts `text` into the first free slot. False when there is none, and for a text that
    // could not be read back as one line: empty, holding a line break, or longer than 258
    // bytes.
    bool AddContent(const std::string& text);
    // Removes the first slot equal to `text`, moving the later slots up one place; the last
    // slot becomes free. False when no slot holds it.
    bool RemoveContent(const std::string& text);

    // A copy of the slots.
    Slots slots() const;

  private:
    std::string m_path;
    std::string m_installedPath;
    mutable std::mutex m_mutex;  // guards m_slots
    Slots m_slots;
};

}  // namespace ambrin
