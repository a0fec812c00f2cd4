#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "skin/SkinArchive.h"

namespace ambrin::fuzz {

// A private folder for one fuzzing process: "pkg" is the package under test and "out" the
// extraction target. The process works from inside it, so that a stray relative write shows
// up too. Anything that appears elsewhere in it, anything in "out" that is not a plain file,
// or files left behind by a failed extraction end the run with abort().
class FuzzSandbox {
  public:
    FuzzSandbox() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/skinfuzz.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_root = pattern;
        ::mkdir(target().c_str(), 0700);
        if (::chdir(m_root.c_str()) != 0) {
            std::abort();
        }
    }
    ~FuzzSandbox() {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    std::string package() const { return m_root + "/pkg"; }
    std::string target() const { return m_root + "/out"; }

    void writePackage(std::string_view bytes) const {
        std::FILE* file = std::fopen(package().c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            std::abort();
        }
        std::fclose(file);
    }

    // Checks one extraction's outcome and empties the target for the next input.
    void check(int result, SkinArchive& archive) const {
        if (result != 0 && result != 8 && result != 14 && result != 25 && result != 26) {
            fail("unexpected result");
        }
        if (entries(m_root) != std::set<std::string>{"out", "pkg"}) {
            fail("something was written outside the target folder");
        }
        const std::set<std::string> files = entries(target());
        for (const std::string& name : files) {
            struct stat info {};
            if (::lstat((target() + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
                fail("the target holds something that is not a plain file");
            }
        }
        if (result != 0 && (!files.empty() || !archive.extractedFiles().empty())) {
            fail("a failed extraction left files behind");
        }
        if (result == 0 && files.size() != archive.extractedFiles().size()) {
            fail("the extraction list does not match the target folder");
        }
        if (archive.clearFolder(target()) != 0) {
            fail("the target could not be cleared");
        }
    }

  private:
    static std::set<std::string> entries(const std::string& folder) {
        std::set<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.insert(name);
                }
            }
            ::closedir(dir);
        }
        return names;
    }

    [[noreturn]] static void fail(const char* what) {
        std::fprintf(stderr, "skin fuzz: %s\n", what);
        std::abort();
    }

    std::string m_root;
};

}  // namespace ambrin::fuzz
