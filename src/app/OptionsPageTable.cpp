#include "app/OptionsPageTable.h"

#include <QtGlobal>

#include "app/GeneralPage.h"
#include "app/InformationPages.h"
#include "app/OptionsServices.h"
#include "app/RecordPage.h"
#include "records/ui/AutoBackupPage.h"
#include "records/ui/CallContentsPage.h"
#include "records/ui/CustomersPage.h"
#include "records/ui/RecordListHeaderPage.h"
#include "records/ui/RecordListPage.h"
#include "records/ui/RetentionPage.h"

namespace ambrin {

std::vector<OptionsPageEntry> optionsPageTable(const OptionsServices& services) {
    return {
        {QT_TRANSLATE_NOOP("OptionsDialog", "Record List"),
         [&services](OptionsPageHost& host, QWidget* parent) -> OptionsPage* {
             auto* page = new RecordListPage(host, parent);
             page->setEngineState(services.engineState);
             return page;
         }},
        {QT_TRANSLATE_NOOP("OptionsDialog", "General"), makeOptionsPage<GeneralPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Record"),
         [&services](OptionsPageHost& host, QWidget* parent) -> OptionsPage* {
             return new RecordPage(host, parent, services);
         }},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Auto Backup"), makeOptionsPage<AutoBackupPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Record List Header"),
         makeOptionsPage<RecordListHeaderPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Call Contents"), makeOptionsPage<CallContentsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Customers Information"),
         makeOptionsPage<CustomersPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Retention"), makeOptionsPage<RetentionPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "About"), makeOptionsPage<AboutPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Copyright Information"),
         makeOptionsPage<CopyrightPage>},
    };
}

}  // namespace ambrin
