#pragma once

#include <string>
#include <string_view>

namespace ambrin {

// The name an archive member is extracted under: everything up to the last "/" or "\"
// dropped, so that packages made on Windows flatten the same way.
std::string memberBaseName(std::string_view memberName);

// True for a base name that names a file inside a folder: not "", "." or "..".
bool isUsableMemberName(std::string_view baseName);

// The file name of a path (after the last "/").
std::string fileNameOf(std::string_view path);

// The file name without its extension (the part from the last "."), e.g. "Ambrin_Large".
std::string fileStemOf(std::string_view path);

// The extension of the file name with its ".", or "" when it has none.
std::string fileExtensionOf(std::string_view path);

// The name a skin goes by: the upper-case file stem, e.g. "AMBRIN_LARGE". Only ASCII
// letters change.
std::string skinNameOf(std::string_view path);

std::string asciiUpper(std::string_view text);

// folder + "/" + name, without doubling a "/" that ends the folder.
std::string joinPath(std::string_view folder, std::string_view name);

}  // namespace ambrin
