#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <QAbstractTableModel>

#include "flights/flights_table.h"

namespace kestrova::ui {

// The grid of the flights browser over the flights table: the visible
// records in the table's ordering, ID / DESCRIPTION / Type. Rows are read in
// windows as the view asks for them, never all at once. While the table holds
// a pending insert, one more row at the end shows it.
//
// An edited cell goes to the table and is posted at once. The rows carry no
// log, and an edit writes only the field it set, so the stored log is never
// touched from here.
class FlightsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnId, ColumnDescription, ColumnType, ColumnCount };
    static constexpr int kWindowRows = 100;

    explicit FlightsModel(FlightsTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Reads the rows again now when a cell edit left that for the event
    // loop; a screen calls it before its next action on the table.
    void FinishEdit();
    // Counts the visible records again and forgets the rows read so far:
    // after the ordering, the filter or the records changed.
    void Reload();
    // The row of the table's current record, the insert row while inserting,
    // -1 when there is none. Reads the record's position from the table.
    int CurrentRow() const;
    // The record of a row; 0 for the insert row or a row out of range.
    int64_t RowidAt(int row) const;
    bool IsInsertRow(int row) const { return insertRow_ && row == count_; }
    int StoredRows() const { return count_; }
    // How many windows of rows were read from the table since the last Reload.
    int WindowsRead() const { return windowsRead_; }

signals:
    // A failure of the table, for the screen to show.
    void warningMessage(const QString& text);
    // A cell edit was posted and the rows read again (from the event loop,
    // after the view closed its editor); the table's current record is the
    // edited one.
    void RecordPosted();

private:
    const FlightRow* RowAt(int row) const;

    FlightsTable& table_;
    int count_ = 0;
    bool insertRow_ = false;
    bool reloadPending_ = false;
    mutable std::map<int, std::vector<FlightRow>> windows_;
    mutable int windowsRead_ = 0;
};

}  // namespace kestrova::ui
