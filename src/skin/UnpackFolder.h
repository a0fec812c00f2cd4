#pragma once

#include <string>

namespace ambrin {

// A fresh folder "$TMPDIR/VSK<number>" that holds one package's files while a skin is
// loaded or its information read. Cleared and removed when the object goes, so the
// unpacked files never outlive that step. Owned by the caller's stack; any thread.
class UnpackFolder {
  public:
    UnpackFolder();
    ~UnpackFolder();
    UnpackFolder(const UnpackFolder&) = delete;
    UnpackFolder& operator=(const UnpackFolder&) = delete;

    // False when no folder could be created.
    bool valid() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;  // empty when creation failed
};

}  // namespace ambrin
