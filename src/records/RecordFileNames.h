#pragma once

#include <string>
#include <string_view>

namespace ambrin {

// A recording's file name carries the call's information when it is stored with it or
// when the information comes later:
//   <folder>/[<user name>@][<Name>_][<first 6 characters of Contents>_]<tail>
// where the tail is the name the recorder gave, without its "<user name>@" part. A tail
// that holds "_" has been named that way already and keeps its name.

// The folder part of a path, with its final '/'; empty when the path has no '/'.
std::string folderOf(std::string_view path);

// The text after the last '/' of `path`, and after the first '@' of that when it has one.
std::string recordingTail(std::string_view path);

// The extension of the file name (from its last '.', inclusive); empty when it has none.
std::string fileExtension(std::string_view path);

// False when `part` holds '/' or a control character, which a file name cannot carry.
bool fitsInFileName(std::string_view part);

// [userName "@"][name "_"][first 6 characters of contents "_"]; each part only when its
// text is not empty. Empty, with `usable` false, when a part used does not fit in a file
// name (only the leading characters of the contents count).
std::string informationPrefix(std::string_view userName, std::string_view name,
                              std::string_view contents, bool& usable);

// Moves a file within its file system without ever replacing an existing file: false when
// `to` exists (or anything else fails), and `from` is then untouched.
bool moveWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace ambrin
