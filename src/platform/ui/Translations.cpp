#include "platform/ui/Translations.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QVariant>

#include "platform/StringTable.h"

namespace ambrin {

namespace {

constexpr const char* kKoreanCatalogue = ":/i18n/ambrin_ko.qm";
// The property that marks an application whose catalogue is already chosen.
constexpr const char* kInstalledProperty = "ambrinUiTranslations";

}  // namespace

bool installUiTranslations() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    if (app->property(kInstalledProperty).isValid()) {
        return app->property(kInstalledProperty).toBool();
    }
    bool ok = true;
    if (uiLanguage() == kLangKorean) {
        auto* translator = new QTranslator(app);  // lives as long as the application
        ok = translator->load(QString::fromLatin1(kKoreanCatalogue)) &&
             QCoreApplication::installTranslator(translator);
    }
    app->setProperty(kInstalledProperty, ok);
    return ok;
}

}  // namespace ambrin
