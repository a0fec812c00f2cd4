#include "app/InformationPages.h"

#include <QIcon>

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "ui_AboutPage.h"
#include "ui_CopyrightPage.h"

namespace ambrin {

AboutPage::AboutPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::AboutPage>()) {
    m_ui->setupUi(this);
    m_ui->labelIcon->setPixmap(QIcon(QStringLiteral(":/icons/ambrin.svg")).pixmap(64, 64));
    QFont title = m_ui->labelProduct->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    m_ui->labelProduct->setFont(title);
}

AboutPage::~AboutPage() = default;

CopyrightPage::CopyrightPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::CopyrightPage>()) {
    m_ui->setupUi(this);
    m_ui->textNotices->setPlainText(QString::fromStdString(loadString(str::kCopyrightText)));
}

CopyrightPage::~CopyrightPage() = default;

}  // namespace ambrin
