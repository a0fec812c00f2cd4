#include "app/Manual.h"

#include <sys/stat.h>

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
    if (!isFile(path) || !desktopOpensType("application/pdf") || !openWithDesktop(path)) {
        showStringMessage(str::kPdfViewerMissing, kMbIconWarning, hasOwner);
    }
}

}  // namespace ambrin
