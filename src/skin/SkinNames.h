#pragma once

// File names, element names and attribute names of skins, exactly as packages and
// descriptions carry them.
namespace ambrin::skin {

inline constexpr const char* kDescriptionFile = "skin.xml";
inline constexpr const char* kDefaultSkinFile = "Ambrin_Large.VSK";
inline constexpr const char* kPackageExtension = ".VSK";
// Unpack folders are $TMPDIR/VSK<number>.
inline constexpr const char* kUnpackFolderPrefix = "VSK";

inline constexpr const char* kSkinInfoElement = "OSKININFO";
inline constexpr const char* kNameAttribute = "ONAME";
inline constexpr const char* kDateAttribute = "ODATE";

}  // namespace ambrin::skin
