#include "skin/SkinPaths.h"

namespace ambrin {

std::string memberBaseName(std::string_view memberName) {
    const size_t separator = memberName.find_last_of("/\\");
    return std::string(separator == std::string_view::npos ? memberName
                                                           : memberName.substr(separator + 1));
}

bool isUsableMemberName(std::string_view baseName) {
    return !baseName.empty() && baseName != "." && baseName != "..";
}

std::string fileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string fileStemOf(std::string_view path) {
    const std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string fileExtensionOf(std::string_view path) {
    const std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string skinNameOf(std::string_view path) {
    return asciiUpper(fileStemOf(path));
}

std::string asciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

}  // namespace ambrin
