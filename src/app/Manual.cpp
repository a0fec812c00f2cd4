#include "app/Manual.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "core/AppContext.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StringTable.h"

namespace ambrin {

namespace {

constexpr const char* kManualName = "AMBRIN.pdf";
constexpr const char* kEnglishFolder = "_eng/";

bool isFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether the desktop names a program for PDF files. xdg-open starts in the background and
// cannot tell, so the question is asked first.
bool pdfViewerAvailable() {
    const std::string tool = findProgram("xdg-mime");
    if (tool.empty()) {
        return false;
    }
    struct Closer {
        void operator()(FILE* pipe) const { ::pclose(pipe); }
    };
    std::unique_ptr<FILE, Closer> pipe(
        ::popen(("'" + tool + "' query default application/pdf 2>/dev/null").c_str(), "r"));
    if (!pipe) {
        return false;
    }
    char line[512] = {};
    const bool answered = std::fgets(line, sizeof line, pipe.get()) != nullptr;
    return answered && line[0] != '\0' && line[0] != '\n';
}

}  // namespace

std::string manualPath(const AppContext& context) {
    if (uiLanguage() == kLangEnglish) {
        const std::string english = context.programFolder + kEnglishFolder + kManualName;
        if (isFile(english)) {
            return english;
        }
    }
    return context.programFolder + kManualName;
}

void openManual(const AppContext& context, bool hasOwner) {
    const std::string path = manualPath(context);
    if (!isFile(path) || !pdfViewerAvailable() || !openWithDesktop(path)) {
        showStringMessage(str::kPdfViewerMissing, kMbIconWarning, hasOwner);
    }
}

}  // namespace ambrin
