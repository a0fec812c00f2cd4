#pragma once

#include <map>
#include <string>

#include "skin/SkinReader.h"

namespace ambrin {

class SettingsStore;
class SkinBuilder;

// A skin's own description of itself, from the "OSKININFO" element of its "skin.xml".
struct SkinInfo {
    std::string name;  // "ONAME", at most 259 bytes
    std::string date;  // "ODATE", at most 259 bytes
};

// Upper-case skin name ("AMBRIN_LARGE") to the full path of its package.
using SkinList = std::map<std::string, std::string>;

// Finds, adds, deletes and selects the skin packages, which live directly in the
// installation folder ("InstallPath"); where this user may not write there, the skins the
// user adds go to the user's data folder and are found there too. The selected one is the
// setting "SkinPath". Loads a
// skin's package up to the point where its description is built, and reads a package's
// SkinInfo by parsing its description itself.
//
// Created once with the settings store, which it does not own and which must outlive it.
// Not thread-safe: one caller at a time. Loading and information reads unpack into a
// fresh "$TMPDIR/VSK<number>" folder that is gone again when they return.
class SkinManager : public SkinReader {
  public:
    // The current skin name comes from "SkinPath"; an empty or unreadable value means the
    // default skin, and a folder path leaves the name empty.
    explicit SkinManager(SettingsStore& settings);

    // The installation folder + "Ambrin_Large.VSK".
    std::string defaultSkinPath() const;

    // Every regular file "*.VSK" of the installation folder and of the folder of added skins
    // (the extension in any case, as Windows matched it), by upper-case skin name; an added
    // skin wins over an installed one of the same name.
    SkinList listSkins() const;

    // Writes `path` to "SkinPath" and makes its name the current skin name. The settings
    // store's result (0 on success).
    int selectSkin(const std::string& path);

    // Copies a package into the folder of added skins (the installation folder, or the
    // user's data folder when the installation is read-only), replacing a file of the same name, as
    // its stem + ".VSK" when `forceExtension` is set, else under its own file name. On
    // success `path` becomes the copy's path; 28 when nothing could be copied (a folder, a
    // missing file, a failed write). Adding a package that is already in place is 0.
    int addSkin(std::string& path, bool forceExtension);

    // Deletes a package file: 0, or 27.
    int deleteSkin(const std::string& path);

    const std::string& currentSkinName() const { return m_currentSkinName; }

    // Reads the SkinInfo of the installed or added skin `skinName` ("<name>.VSK"): 2
    // without an unpack folder, the extraction's code when it cannot be unpacked, else 0.
    // `info` receives what the description holds; it stays empty when it did not parse.
    int readSkinInfo(const std::string& skinName, SkinInfo& info);
    // The SkinInfo collected by the last parse.
    const SkinInfo& skinInfo() const { return m_info; }

    // Loads the skin at `skinPath` (a package, or a folder holding "skin.xml") into
    // `builder`, on the calling thread. A package that cannot be opened (message 3, unless
    // the path is empty) or unpacked (message 5) is replaced by the default skin, which is
    // selected when the first could not be opened. Returns 2 when there is no unpack folder
    // (message 6) or no usable package (`errorText` is then string 7), else the builder's
    // result. Messages are shown with showStringMessage and wait for the user.
    int loadSkin(const std::string& skinPath, SkinBuilder& builder, std::string& errorText);

    // Collects the SkinInfo; every other element is skipped.
    int startElement(const std::string& name, const Attributes& attributes) override;
    int endElement(const std::string& name) override;

  private:
    std::string installFolder() const;
    // The installation folder when this user may write into it, else the user's data folder.
    std::string addedSkinFolder() const;
    std::string installedPackage(const std::string& skinName) const;

    std::string m_currentSkinName;
    SettingsStore& m_settings;
    SkinInfo m_info;
};

}  // namespace ambrin
