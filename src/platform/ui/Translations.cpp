#include "platform/ui/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>
#include <QVariant>

#include "platform/StringTable.h"

namespace ambrin {

namespace {

// Every Korean catalogue embedded at build time, one per area of the program.
constexpr const char* kCatalogueFolder = ":/i18n";
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
        const QStringList catalogues =
            QDir(QString::fromLatin1(kCatalogueFolder)).entryList({QStringLiteral("*_ko.qm")});
        ok = !catalogues.isEmpty();
        for (const QString& name : catalogues) {
            auto* translator = new QTranslator(app);  // lives as long as the application
            ok = translator->load(QString::fromLatin1(kCatalogueFolder) + u'/' + name) &&
                 QCoreApplication::installTranslator(translator) && ok;
        }
    }
    app->setProperty(kInstalledProperty, ok);
    return ok;
}

}  // namespace ambrin
