#include "records/ui/RecordListModel.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include "records/RecordDisplay.h"
#include "records/ui/FieldText.h"

namespace ambrin {

namespace {

// The desktop theme's icon for files of this name, else the theme's generic audio or file
// icon, else the style's file icon.
QIcon fileIcon(const QString& sampleName) {
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(sampleName, QMimeDatabase::MatchExtension);
    QIcon fallback = QIcon::fromTheme(QStringLiteral("audio-x-generic"));
    if (fallback.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        fallback = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    }
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
}

// `base` with a padlock over its lower right part, at the sizes the list draws.
QIcon withLock(const QIcon& base) {
    QIcon locked;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        base.paint(&painter, 0, 0, size, size);
        const double unit = size / 16.0;
        const QRectF body(7.5 * unit, 9.0 * unit, 8.0 * unit, 6.5 * unit);
        QPainterPath shackle;
        shackle.moveTo(body.left() + 1.8 * unit, body.top());
        shackle.lineTo(body.left() + 1.8 * unit, body.top() - 1.8 * unit);
        shackle.arcTo(
            QRectF(body.left() + 1.8 * unit, body.top() - 4.0 * unit, 4.4 * unit, 4.4 * unit), 180,
            -180);
        shackle.lineTo(body.right() - 1.8 * unit, body.top());
        painter.setPen(QPen(QColor(60, 60, 60), 1.6 * unit));
        painter.drawPath(shackle);
        painter.setPen(QPen(QColor(90, 60, 0), unit));
        painter.setBrush(QColor(230, 170, 20));
        painter.drawRoundedRect(body, unit, unit);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(90, 60, 0));
        painter.drawEllipse(body.center(), 0.9 * unit, 0.9 * unit);
        painter.end();
        locked.addPixmap(pixmap);
    }
    return locked;
}

}  // namespace

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {
    m_icons = {fileIcon(QStringLiteral("call.ogg")), fileIcon(QStringLiteral("call.mp3")),
               fileIcon(QStringLiteral("call.wav"))};
    for (std::size_t i = 0; i < m_icons.size(); ++i) {
        m_lockedIcons[i] = withLock(m_icons[i]);
    }
}

void RecordListModel::setRows(std::vector<RecordRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void RecordListModel::setDisplayNames(const DisplayNames& names) {
    m_names = names;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kFieldCount - 1);
}

void RecordListModel::setLockedKeys(std::set<std::string> keys) {
    if (keys == m_locked) {
        return;
    }
    m_locked = std::move(keys);
    if (!m_rows.empty()) {
        Q_EMIT dataChanged(index(0, kFieldDate), index(rowCount() - 1, kFieldDate),
                           {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

bool RecordListModel::isLocked(int row) const {
    return m_locked.count(m_rows[static_cast<size_t>(row)].key) > 0;
}

void RecordListModel::removeRecordRow(int row) {
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

QString RecordListModel::cellText(const RecordRow& row, int field) {
    const CallRecord& r = row.record;
    switch (field) {
        case kFieldDate:
            return fromUtf8(displayDate(row.key));
        case kFieldDuration:
            return fromUtf8(displayDuration(r.totalTime));
        case kFieldType:
            return fromUtf8(displayCallType(r.callType));
        case kFieldContents:
            return fromUtf8(oneLine(r.contents));
        case kFieldPath:
            return fromUtf8(recordingFileName(r.fileName));
        default: {
            const std::string* value = searchableValue(r, field);
            return value != nullptr ? fromUtf8(*value) : QString();
        }
    }
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFieldCount;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const RecordRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return cellText(row, index.column());
        case Qt::DecorationRole:
            if (index.column() == kFieldDate) {
                const auto kind = static_cast<size_t>(recordingKindOf(row.record.fileName));
                return isLocked(index.row()) ? m_lockedIcons[kind] : m_icons[kind];
            }
            return {};
        case Qt::ToolTipRole:
            if (index.column() == kFieldDate && isLocked(index.row())) {
                return tr("Locked: the retention rules never delete this call.");
            }
            if (index.column() == kFieldContents || index.column() == kFieldPath) {
                return fromUtf8(index.column() == kFieldContents ? row.record.contents
                                                                 : row.record.fileName);
            }
            return {};
        default:
            return {};
    }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kFieldCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return fromUtf8(m_names[static_cast<size_t>(section)]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

}  // namespace ambrin
