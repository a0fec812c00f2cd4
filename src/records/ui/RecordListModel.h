#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "records/RecordFields.h"
#include "records/RecordSearch.h"

namespace ambrin {

// The rows of the record list: the records of the last search, newest first, with their
// eleven fields in their display forms (the date column with the recording's icon, and a lock
// on it for a call locked against the retention rules). The
// texts are made when a cell is drawn, so a search of any size is ready at once.
// GUI thread only.
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit RecordListModel(QObject* parent = nullptr);

    void setRows(std::vector<RecordRow> rows);
    void setDisplayNames(const DisplayNames& names);
    const DisplayNames& displayNames() const { return m_names; }
    void removeRecordRow(int row);
    // The keys of the locked calls: their rows carry a lock on the recording's icon.
    void setLockedKeys(std::set<std::string> keys);
    bool isLocked(int row) const;

    const RecordRow& recordRow(int row) const { return m_rows[static_cast<size_t>(row)]; }
    const std::vector<RecordRow>& rows() const { return m_rows; }

    // The text of a cell as the list shows it.
    static QString cellText(const RecordRow& row, int field);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<RecordRow> m_rows;
    DisplayNames m_names;
    std::array<QIcon, 3> m_icons;        // OGG, MP3/MP2/MP1, anything else
    std::array<QIcon, 3> m_lockedIcons;  // the same with a lock
    std::set<std::string> m_locked;
};

}  // namespace ambrin
