#include "records/ui/RecordInformationDialog.h"

#include <QLineEdit>
#include <QMoveEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "records/CallContentList.h"
#include "records/CustomerNames.h"
#include "records/RecordDatabase.h"
#include "records/ui/FieldText.h"
#include "records/ui/WindowPosition.h"
#include "ui_RecordInformationDialog.h"

namespace ambrin {

namespace {

// "DatabaseHeader" holds eleven display names; the dialog shows names 3 to 9.
constexpr std::uint32_t kHeaderCapacity = 1040;

}  // namespace

RecordInformationDialog::RecordInformationDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(std::make_unique<Ui::RecordInformationDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);

    informationFieldsOf(*m_ui, m_ui->comboName->lineEdit()).limitInput(this);
    m_ui->comboName->setInsertPolicy(QComboBox::NoInsert);
    connect(m_ui->comboName, &QComboBox::activated, this, &RecordInformationDialog::customerChosen);
    connect(m_ui->comboContents, &QComboBox::activated, this,
            &RecordInformationDialog::contentChosen);
    for (QRadioButton* type : {m_ui->radioInbound, m_ui->radioOutbound, m_ui->radioUnknown}) {
        connect(type, &QRadioButton::clicked, this, [this] { m_typeChosen = true; });
    }
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    fillLabels();
    fillLists();
    m_ui->comboName->setFocus();
    adjustSize();
    placeWindow();
}

RecordInformationDialog::~RecordInformationDialog() = default;

void RecordInformationDialog::fillLabels() {
    std::string header;
    if (m_context.settings == nullptr ||
        m_context.settings->readString(setting::kDatabaseHeader, header, kHeaderCapacity) !=
            kSettingsOk) {
        header = loadString(str::kDatabaseHeader);
    }
    DisplayNames names;
    for (std::size_t field = 0; field < names.size(); ++field) {
        names[field] = TrimBlanks(fieldAt(header, field));
    }
    informationFieldsOf(*m_ui, m_ui->comboName->lineEdit()).setLabels(names);
}

void RecordInformationDialog::fillLists() {
    QStringList names;
    RecordDatabase database(m_context);
    if (database.BeginCustomers()) {
        std::string name;
        CustomerRecord customer;
        while (database.NextCustomer(name, customer)) {
            names.append(fromUtf8(name));
        }
        database.EndIteration();
    }
    names.sort(Qt::CaseInsensitive);
    m_ui->comboName->addItems(names);
    m_ui->comboName->setCurrentIndex(-1);
    m_ui->comboName->clearEditText();

    QStringList contents;
    if (m_context.callContents != nullptr) {
        for (const std::string& slot : m_context.callContents->slots()) {
            if (!slot.empty()) {
                contents.append(fromUtf8(slot));
            }
        }
    }
    contents.sort(Qt::CaseInsensitive);
    m_ui->comboContents->addItems(contents);
    m_ui->comboContents->setCurrentIndex(-1);
    m_ui->comboContents->setEnabled(!contents.isEmpty());
}

std::optional<QPoint> RecordInformationDialog::storedPosition(const std::string& text,
                                                              const QSize& screen) {
    return storedWindowPosition(text, screen);
}

void RecordInformationDialog::placeWindow() {
    placeAtStoredPosition(*this, m_context.settings, setting::kMemoNotePos);
    m_placed = true;
}

void RecordInformationDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_placed && isVisible()) {
        storeWindowPosition(*this, m_context.settings, setting::kMemoNotePos);
    }
}

void RecordInformationDialog::customerChosen(int index) {
    if (index < 0) {
        return;
    }
    CustomerRecord customer;
    if (!RecordDatabase(m_context).FindCustomer(m_ui->comboName->itemText(index).toStdString(),
                                                customer)) {
        return;
    }
    m_ui->editPhone->setText(fromUtf8(customer.cid));
    fillFromCustomer(customer);
}

void RecordInformationDialog::fillFromCustomer(const CustomerRecord& customer) {
    m_ui->editOrganize->setText(fromUtf8(customer.organize));
    m_ui->editAddress->setText(fromUtf8(customer.address));
    m_ui->editEtc1->setText(fromUtf8(customer.etc1));
    m_ui->editEtc2->setText(fromUtf8(customer.etc2));
}

void RecordInformationDialog::contentChosen(int index) {
    if (index < 0) {
        return;
    }
    const QString text = m_ui->comboContents->itemText(index);
    QTextCursor cursor(m_ui->editContents->document());
    cursor.movePosition(QTextCursor::End);
    const int start = cursor.position();
    cursor.insertText(text);
    cursor.setPosition(start);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_ui->editContents->setTextCursor(cursor);
    m_ui->editContents->ensureCursorVisible();
    m_ui->editContents->verticalScrollBar()->setValue(
        m_ui->editContents->verticalScrollBar()->maximum());
    m_ui->editContents->setFocus();
    m_ui->comboContents->setCurrentIndex(-1);  // the same content can be chosen again
}

void RecordInformationDialog::showLineNumber(const std::string& number, bool dialled) {
    if (!m_ui->editPhone->isModified()) {
        m_ui->editPhone->setText(fromUtf8(number));
    }
    if (!m_typeChosen) {
        (dialled ? m_ui->radioOutbound : m_ui->radioInbound)->setChecked(true);
    }
    if (!m_ui->comboName->currentText().trimmed().isEmpty()) {
        return;  // the user has said who it is
    }
    std::string name;
    CustomerRecord customer;
    if (!findCustomerByNumber(m_context, number, name, customer)) {
        return;
    }
    const int index = m_ui->comboName->findText(fromUtf8(name));
    if (index >= 0) {
        m_ui->comboName->setCurrentIndex(index);
    } else {
        m_ui->comboName->setEditText(fromUtf8(name));
    }
    fillFromCustomer(customer);
}

CallRecord RecordInformationDialog::information() const {
    CallRecord record;
    informationFieldsOf(*m_ui, m_ui->comboName->lineEdit()).read(record);
    return record;
}

}  // namespace ambrin
