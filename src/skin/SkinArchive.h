#pragma once

#include <string>
#include <vector>

namespace ambrin {

// Skin packages (".VSK") on disk: a zip archive when the file starts with "PK" 3 4, else a
// tar stream read through zlib's gzip interface, so it may be gzip-compressed or plain.
// Packages this program writes are always gzip-compressed tars.
//
// Extraction is flat: every member lands directly in the target folder under its base
// name (everything up to the last "/" or "\" dropped). Names "", "." and "..", link
// members, and a name that is already a symbolic link in the folder are refused with 14;
// nothing is ever written outside the folder. A failed extraction deletes what it created.
//
// Result codes are those of skin/SkinResults.h. Not thread-safe; blocking file I/O on the
// caller's thread.
class SkinArchive {
  public:
    // Writes a gzip-compressed tar with one member per file, in list order, named after the
    // file's base name. 6 when the package cannot be created, 8 when a file cannot be
    // opened, 14 when its name cannot go into a header, 25 or 26 on a failed write or read.
    // A package that could not be completed is removed.
    int createArchive(const std::string& packagePath, const std::vector<std::string>& files);

    // Unpacks a package into an existing folder. 8 when the package path is empty or the
    // package or folder cannot be opened, or a member cannot be created; 14 for a bad header,
    // member name or zip archive; 25 and 26 for failed writes and reads.
    int extract(const std::string& packagePath, const std::string& targetFolder);

    // Deletes everything inside the folder, sub-folders with their contents; symbolic links
    // are removed, never followed. 27 on the first failure (and for a missing folder).
    int clearFolder(const std::string& folder);

    // Deletes the files the last extraction created; 27 when one could not be deleted.
    int deleteExtractedFiles();

    // Full paths of the files the last extraction created, in extraction order.
    const std::vector<std::string>& extractedFiles() const { return m_extracted; }

  private:
    int extractTar(const std::string& packagePath, int folderFd, const std::string& folder);
    int extractZip(const std::string& packagePath, int folderFd, const std::string& folder);
    // Creates a member file for writing; its path joins the extraction list.
    int createMember(int folderFd, const std::string& folder, const std::string& name, int& fd);

    std::vector<std::string> m_extracted;
};

}  // namespace ambrin
