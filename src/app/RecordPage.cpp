#include "app/RecordPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <cstdio>

#include "codec/Mp3Library.h"
#include "core/AppContext.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StringIds.h"
#include "recorder/Recorder.h"
#include "ui_RecordPage.h"

namespace ambrin {

namespace {

constexpr int kLevelMinimum = 1;
constexpr int kLevelMaximum = 100;

QString number(int value) {
    return QString::number(value);
}

// The text read as "%d": the number it starts with, or nothing.
std::optional<int> scanNumber(const QString& text) {
    int value = 0;
    if (std::sscanf(text.toStdString().c_str(), "%d", &value) != 1) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

RecordPage::RecordPage(OptionsPageHost& host, QWidget* parent, const OptionsServices& services)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::RecordPage>()), m_services(services) {
    m_ui->setupUi(this);
    const OptionValues& values = edited();

    // Each pair or triple of radios is a group of its own.
    for (const auto& radios :
         {std::vector<QRadioButton*>{m_ui->radioOgg, m_ui->radioMp3, m_ui->radioWave},
          std::vector<QRadioButton*>{m_ui->radioAutomatic, m_ui->radioManual},
          std::vector<QRadioButton*>{m_ui->radioMic, m_ui->radioLineIn}}) {
        auto* group = new QButtonGroup(this);
        for (QRadioButton* radio : radios) {
            group->addButton(radio);
        }
    }
    QRadioButton* const formats[] = {m_ui->radioOgg, m_ui->radioMp3, m_ui->radioWave};
    formats[values.recordFormat >= kFormatOgg && values.recordFormat <= kFormatWave
                ? values.recordFormat
                : kFormatMp3]
        ->setChecked(true);
    (values.recordMode == 1 ? m_ui->radioManual : m_ui->radioAutomatic)->setChecked(true);
    (values.inputSignalMode == 1 ? m_ui->radioLineIn : m_ui->radioMic)->setChecked(true);
    m_ui->radioLineIn->setEnabled(m_services.hasLineInput && m_services.hasLineInput());

    m_ui->checkUsePassword->setChecked(values.usePassword);
    m_ui->editPassword->setEnabled(values.usePassword);
    if (values.usePassword) {
        m_ui->editPassword->setText(QString::fromStdString(values.password));
    }

    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* edit : {m_ui->editCallEnd, m_ui->editMinimum, m_ui->editStart, m_ui->editEnd}) {
        edit->setValidator(digits);
    }
    m_ui->editCallEnd->setText(number(values.timeOfCallEnd));
    m_ui->editMinimum->setText(number(values.minimumRecordTime));
    m_ui->editStart->setText(number(values.startSoundValue));
    m_ui->editEnd->setText(number(values.endSoundValue));
    m_ui->checkCallInformation->setChecked(values.callInformation);
    m_ui->checkOtherPlayer->setChecked(values.otherPlayer);

    for (const SampleFormat& format : kSampleFormats) {
        m_ui->comboOutputFormat->addItem(QString::fromLatin1(format.text));
    }
    for (const int rate : kMp3BitRates) {
        m_ui->comboAudioQuality->addItem(QStringLiteral("%1 kbps").arg(rate));
    }
    m_ui->comboOutputFormat->setCurrentIndex(values.outputFormat);
    m_ui->comboAudioQuality->setCurrentIndex(values.audioQuality);

    showVolume(m_services.recordVolume ? m_services.recordVolume() : -1);

    connect(m_ui->radioMp3, &QRadioButton::clicked, this, &RecordPage::formatChosen);
    for (QRadioButton* radio : {m_ui->radioOgg, m_ui->radioWave, m_ui->radioAutomatic,
                                m_ui->radioManual, m_ui->radioMic, m_ui->radioLineIn}) {
        connect(radio, &QRadioButton::toggled, this, &RecordPage::choicesChanged);
    }
    for (QCheckBox* box : {m_ui->checkCallInformation, m_ui->checkOtherPlayer}) {
        connect(box, &QCheckBox::toggled, this, &RecordPage::choicesChanged);
    }
    connect(m_ui->checkUsePassword, &QCheckBox::toggled, this, &RecordPage::usePasswordChanged);
    connect(m_ui->editPassword, &QLineEdit::textChanged, this, [this](const QString& text) {
        edited().password = text.left(258).toStdString();
        this->host().valuesChanged();
    });
    connect(m_ui->editCallEnd, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (const auto value = scanNumber(text)) {
            edited().timeOfCallEnd = *value;
            this->host().valuesChanged();
        }
    });
    connect(m_ui->editMinimum, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (const auto value = scanNumber(text)) {
            edited().minimumRecordTime = *value;
            this->host().valuesChanged();
        }
    });
    connect(m_ui->editStart, &QLineEdit::textChanged, this, &RecordPage::startChanged);
    connect(m_ui->editEnd, &QLineEdit::textChanged, this, &RecordPage::endChanged);
    // A box left with a number its field did not take shows the field's value again, so what
    // the user sees is what Apply stores.
    const std::pair<QLineEdit*, int OptionValues::*> numbers[] = {
        {m_ui->editCallEnd, &OptionValues::timeOfCallEnd},
        {m_ui->editMinimum, &OptionValues::minimumRecordTime},
        {m_ui->editStart, &OptionValues::startSoundValue},
        {m_ui->editEnd, &OptionValues::endSoundValue}};
    for (const auto& [edit, field] : numbers) {
        connect(edit, &QLineEdit::editingFinished, this, [this, box = edit, member = field] {
            const QString shown = number(edited().*member);
            if (box->text() != shown) {
                const QSignalBlocker blocker(box);
                box->setText(shown);
            }
        });
    }
    connect(m_ui->sliderVolume, &QSlider::valueChanged, this, [this](int percent) {
        if (m_services.setRecordVolume) {
            m_services.setRecordVolume(percent);
        }
        m_ui->labelVolume->setText(QStringLiteral("%1%").arg(percent));
    });
    connect(m_ui->buttonDetail, &QPushButton::clicked, this, [] {
        if (!openRecordingControls()) {
            showStringMessage(str::kRecordingControlsMissing, kMbIconWarning, false);
        }
    });
    connect(m_ui->comboOutputFormat, &QComboBox::currentIndexChanged, this, [this](int index) {
        edited().outputFormat = index;
        this->host().valuesChanged();
    });
    connect(m_ui->comboAudioQuality, &QComboBox::currentIndexChanged, this, [this](int index) {
        edited().audioQuality = index;
        this->host().valuesChanged();
    });
}

RecordPage::~RecordPage() = default;

void RecordPage::formatChosen() {
    if (!Mp3Library::probeOrOfferDownload(host().context().programFolder, false,
                                          m_services.openPage)) {
        m_ui->radioOgg->setChecked(true);  // its toggle records OGG
        return;
    }
    choicesChanged();
}

void RecordPage::choicesChanged() {
    OptionValues& values = edited();
    values.recordFormat = m_ui->radioWave->isChecked()  ? kFormatWave
                          : m_ui->radioMp3->isChecked() ? kFormatMp3
                                                        : kFormatOgg;
    values.recordMode = m_ui->radioManual->isChecked() ? 1 : 0;
    values.inputSignalMode = m_ui->radioLineIn->isChecked() ? 1 : 0;
    values.callInformation = m_ui->checkCallInformation->isChecked();
    values.otherPlayer = m_ui->checkOtherPlayer->isChecked();
    host().valuesChanged();
}

void RecordPage::usePasswordChanged(bool use) {
    edited().usePassword = use;
    if (!use) {
        m_ui->editPassword->clear();
    }
    m_ui->editPassword->setEnabled(use);
    host().valuesChanged();
}

void RecordPage::startChanged(const QString& text) {
    const auto value = scanNumber(text);
    if (value && *value >= kLevelMinimum && *value <= kLevelMaximum &&
        *value > edited().endSoundValue) {
        edited().startSoundValue = *value;
        this->host().valuesChanged();
    }
}

void RecordPage::endChanged(const QString& text) {
    const auto value = scanNumber(text);
    if (value && *value >= kLevelMinimum && *value <= kLevelMaximum &&
        *value < edited().startSoundValue) {
        edited().endSoundValue = *value;
        this->host().valuesChanged();
    }
}

void RecordPage::showVolume(int percent) {
    const QSignalBlocker blocker(m_ui->sliderVolume);
    m_ui->sliderVolume->setEnabled(percent >= 0);
    m_ui->buttonDetail->setEnabled(true);
    m_ui->sliderVolume->setValue(percent >= 0 ? percent : 0);
    m_ui->labelVolume->setText(percent >= 0 ? QStringLiteral("%1%").arg(percent) : QString());
}

void RecordPage::recordingLevelChanged() {
    showVolume(m_services.recordVolume ? m_services.recordVolume() : -1);
}

}  // namespace ambrin
