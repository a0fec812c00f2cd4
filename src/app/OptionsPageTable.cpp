#include "app/OptionsPageTable.h"

#include <QtGlobal>

#include "app/OptionsServices.h"

namespace ambrin {

std::vector<OptionsPageEntry> optionsPageTable(const OptionsServices& services) {
    (void)services;
    return {
        {QT_TRANSLATE_NOOP("OptionsDialog", "Record List"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "General"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Record"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Auto Backup"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Record List Header"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Call Contents"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Customers Information"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "About"), makeOptionsPage<OptionsPage>},
        {QT_TRANSLATE_NOOP("OptionsDialog", "Copyright Information"), makeOptionsPage<OptionsPage>},
    };
}

}  // namespace ambrin
