#include "app/GeneralPage.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/AppContext.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "skin/SkinNames.h"
#include "skin/SkinPaths.h"
#include "ui_GeneralPage.h"

namespace ambrin {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFolderLimit = 259;
constexpr int kUserNameLimit = 258;

}  // namespace

GeneralPage::GeneralPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::GeneralPage>()) {
    m_ui->setupUi(this);
    if (host.context().settings != nullptr) {
        m_skins = std::make_unique<SkinManager>(*host.context().settings);
    }
    const OptionValues& values = edited();
    m_ui->editFolder->setText(QString::fromStdString(values.databasePath));
    m_ui->checkKeepVisible->setChecked(values.keepVisible);
    m_ui->checkToTray->setChecked(values.toTray);
    m_ui->checkAutoStart->setChecked(values.autoStart);
    m_ui->checkMinimizeRun->setChecked(values.minimizeRun);
    m_ui->checkAutoUpdate->setChecked(values.autoUpdateValue);
    m_ui->editUserName->setText(QString::fromStdString(values.userName));
    fillSkins();

    for (QCheckBox* box : {m_ui->checkKeepVisible, m_ui->checkToTray, m_ui->checkAutoStart,
                           m_ui->checkMinimizeRun, m_ui->checkAutoUpdate}) {
        connect(box, &QCheckBox::toggled, this, &GeneralPage::flagChanged);
    }
    connect(m_ui->editUserName, &QLineEdit::textChanged, this, [this](const QString& text) {
        edited().userName = TrimBlanks(text.left(kUserNameLimit).toStdString());
        this->host().valuesChanged();
    });
    connect(m_ui->editFolder, &QLineEdit::textChanged, this, [this](const QString& text) {
        edited().databasePath = cutToBytes(text.toStdString(), kFolderLimit);
        this->host().valuesChanged();
    });
    connect(m_ui->buttonPath, &QPushButton::clicked, this, &GeneralPage::chooseFolder);
    connect(m_ui->listSkins, &QListWidget::currentItemChanged, this, &GeneralPage::skinChosen);
    connect(m_ui->buttonAddSkin, &QPushButton::clicked, this, &GeneralPage::chooseSkinFile);
    connect(m_ui->buttonDeleteSkin, &QPushButton::clicked, this, &GeneralPage::askDeleteSkin);
}

GeneralPage::~GeneralPage() = default;

void GeneralPage::flagChanged() {
    OptionValues& values = edited();
    values.keepVisible = m_ui->checkKeepVisible->isChecked();
    values.toTray = m_ui->checkToTray->isChecked();
    values.autoStart = m_ui->checkAutoStart->isChecked();
    values.minimizeRun = m_ui->checkMinimizeRun->isChecked();
    values.autoUpdateValue = m_ui->checkAutoUpdate->isChecked();
    host().valuesChanged();
}

void GeneralPage::fillSkins() {
    QSignalBlocker blocker(m_ui->listSkins);
    m_ui->listSkins->clear();
    m_ui->labelSkinInfo->clear();
    m_ui->buttonDeleteSkin->setEnabled(false);
    m_list = m_skins ? m_skins->listSkins() : SkinList{};
    QListWidgetItem* selected = nullptr;
    for (const auto& [name, path] : m_list) {
        auto* item = new QListWidgetItem(QString::fromStdString(fileStemOf(path)), m_ui->listSkins);
        item->setData(kPathRole, QString::fromStdString(path));
        if (equalsNoCase(name, edited().skin)) {
            selected = item;
        }
    }
    if (selected != nullptr) {
        m_ui->listSkins->setCurrentItem(selected);
        blocker.unblock();  // the selection shows its information
        skinChosen();
    }
}

void GeneralPage::skinChosen() {
    QListWidgetItem* item = m_ui->listSkins->currentItem();
    if (item == nullptr || !m_skins) {
        m_ui->buttonDeleteSkin->setEnabled(false);
        return;
    }
    const std::string name = skinNameOf(item->data(kPathRole).toString().toStdString());
    m_ui->buttonDeleteSkin->setEnabled(!equalsNoCase(name, skinNameOf(skin::kDefaultSkinFile)));
    SkinInfo info;
    m_skins->readSkinInfo(name, info);
    m_ui->labelSkinInfo->setText(QString::fromStdString(loadString(str::kSkinInfoName) + info.name +
                                                        "\n" + loadString(str::kSkinInfoDate) +
                                                        info.date));
    edited().skin = name;
    host().valuesChanged();
}

void GeneralPage::chooseSkinFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), QString(),
        QStringLiteral("Ambrin+ SKINS (.VSK) (*.VSK *.vsk);;All Files (*.*) (*)"));
    if (!path.isEmpty()) {
        addSkinFile(path);
    }
}

void GeneralPage::addSkinFile(const QString& path) {
    std::string file = path.toStdString();
    if (!m_skins || m_skins->addSkin(file, true) != 0) {
        showStringMessage(str::kSkinAddFailed, kMbOk | kMbIconWarning);
        return;
    }
    fillSkins();
}

void GeneralPage::askDeleteSkin() {
    if (m_ui->listSkins->currentItem() == nullptr) {
        return;
    }
    if (showStringMessage(str::kSkinDeleteQuestion, kMbYesNo | kMbIconQuestion) == kIdYes) {
        deleteSelectedSkin();
    }
}

void GeneralPage::deleteSelectedSkin() {
    QListWidgetItem* item = m_ui->listSkins->currentItem();
    if (item == nullptr || !m_skins) {
        return;
    }
    const std::string path = item->data(kPathRole).toString().toStdString();
    if (equalsNoCase(skinNameOf(path), skinNameOf(skin::kDefaultSkinFile))) {
        return;  // the default skin stays
    }
    if (m_skins->deleteSkin(path) != 0) {
        showStringMessage(str::kSkinDeleteFailed, kMbOk | kMbIconWarning);
    }
    fillSkins();
}

void GeneralPage::chooseFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QString(), m_ui->editFolder->text());
    if (!folder.isEmpty()) {
        setFolder(folder);
    }
}

void GeneralPage::setFolder(const QString& folder) {
    m_ui->editFolder->setText(folder);  // its change sets the edited folder
}

}  // namespace ambrin
