#include "records/ui/RecordListModel.h"

#include <QApplication>
#include <QMimeDatabase>
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

}  // namespace

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {
    m_icons = {fileIcon(QStringLiteral("call.ogg")), fileIcon(QStringLiteral("call.mp3")),
               fileIcon(QStringLiteral("call.wav"))};
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
                return m_icons[static_cast<size_t>(recordingKindOf(row.record.fileName))];
            }
            return {};
        case Qt::ToolTipRole:
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
