#include "platform/ui/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QVariant>
#include <string_view>

#include "platform/StringTable.h"

namespace ambrin {

namespace {

// Every Korean catalogue embedded at build time, one per area of the program.
constexpr const char* kCatalogueFolder = ":/i18n";
// Classes of the program live in the namespace "ambrin", so their tr() asks for the context
// "ambrin::RecordListPage" where their forms and the catalogues say "RecordListPage".
// One catalogue context serves both.
class CatalogueTranslator : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        QString found = QTranslator::translate(context, sourceText, disambiguation, n);
        constexpr std::string_view kPrefix = "ambrin::";
        if (found.isEmpty() && context != nullptr &&
            std::string_view(context).starts_with(kPrefix)) {
            found = QTranslator::translate(context + kPrefix.size(), sourceText, disambiguation, n);
        }
        return found;
    }
};

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
            auto* translator = new CatalogueTranslator(app);  // lives as long as the application
            ok = translator->load(QString::fromLatin1(kCatalogueFolder) + u'/' + name) &&
                 QCoreApplication::installTranslator(translator) && ok;
        }
    }
    if (uiLanguage() == kLangKorean) {
        // The toolkit's own windows and buttons (the folder browser, standard buttons) from
        // the toolkit's Korean catalogue, when the system has it.
        auto* toolkit = new QTranslator(app);
        if (toolkit->load(QLocale(QLocale::Korean), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(toolkit);
        } else {
            delete toolkit;
        }
    }
    app->setProperty(kInstalledProperty, ok);
    return ok;
}

}  // namespace ambrin
