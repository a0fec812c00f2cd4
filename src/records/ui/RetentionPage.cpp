#include "records/ui/RetentionPage.h"

#include <ctime>

#include "records/RecordDatabase.h"
#include "records/RecordRetention.h"
#include "ui_RetentionPage.h"

namespace ambrin {

namespace {

// The dry run reads every record (and, for the size rule, every file's size): it waits for
// the typing to pause.
constexpr int kPreviewDelayMs = 300;

// A check box with its spin box: the value when checked, 0 (off) when not. The spin box keeps
// its last value while the box is unchecked.
void showRule(QCheckBox* check, QSpinBox* spin, int value) {
    check->setChecked(value > 0);
    if (value > 0) {
        spin->setValue(value);
    }
    spin->setEnabled(value > 0);
}

int ruleValue(const QCheckBox* check, const QSpinBox* spin) {
    return check->isChecked() ? spin->value() : 0;
}

}  // namespace

RetentionPage::RetentionPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::RetentionPage>()) {
    m_ui->setupUi(this);
    const OptionValues& values = edited();
    showRule(m_ui->checkAge, m_ui->spinDays, values.retentionDays);
    showRule(m_ui->checkSize, m_ui->spinGiB, values.retentionGiB);
    showRule(m_ui->checkQuiet, m_ui->spinQuietDays, values.quietLineDays);

    m_previewTimer.setSingleShot(true);
    m_previewTimer.setInterval(kPreviewDelayMs);
    connect(&m_previewTimer, &QTimer::timeout, this, [this] { updatePreview(); });
    for (QCheckBox* check : {m_ui->checkAge, m_ui->checkSize, m_ui->checkQuiet}) {
        connect(check, &QCheckBox::toggled, this, [this] { takeValues(); });
    }
    for (QSpinBox* spin : {m_ui->spinDays, m_ui->spinGiB, m_ui->spinQuietDays}) {
        connect(spin, &QSpinBox::valueChanged, this, [this] { takeValues(); });
    }
    updatePreview();
}

RetentionPage::~RetentionPage() = default;

void RetentionPage::pageShown() {
    updatePreview();
}

void RetentionPage::recordsChanged() {
    m_previewTimer.start();
}

void RetentionPage::takeValues() {
    m_ui->spinDays->setEnabled(m_ui->checkAge->isChecked());
    m_ui->spinGiB->setEnabled(m_ui->checkSize->isChecked());
    m_ui->spinQuietDays->setEnabled(m_ui->checkQuiet->isChecked());
    OptionValues& values = edited();
    values.retentionDays = ruleValue(m_ui->checkAge, m_ui->spinDays);
    values.retentionGiB = ruleValue(m_ui->checkSize, m_ui->spinGiB);
    values.quietLineDays = ruleValue(m_ui->checkQuiet, m_ui->spinQuietDays);
    host().valuesChanged();
    m_previewTimer.start();
}

void RetentionPage::updatePreview() {
    m_previewTimer.stop();
    RetentionRules rules;
    rules.maxAgeDays = edited().retentionDays;
    rules.maxGiB = edited().retentionGiB;
    if (!rules.any()) {
        m_previewCount = 0;
        m_ui->labelPreview->setText(tr("Both rules are off: no call is deleted."));
        return;
    }
    m_previewCount = static_cast<int>(
        planRetention(RecordDatabase::databasePath(host().context()), rules, std::time(nullptr), {})
            .size());
    m_ui->labelPreview->setText(
        tr("With these rules, %n call(s) would be deleted now.", nullptr, m_previewCount));
}

}  // namespace ambrin
