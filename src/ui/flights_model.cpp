#include "ui/flights_model.h"

#include <algorithm>

#include <QTimer>

#include "core/error.h"
#include "ui/latin1.h"

namespace kestrova::ui {

namespace {

constexpr size_t kWindowsKept = 40;

FlightField FieldOf(int column) {
    switch (column) {
        case FlightsModel::ColumnId: return FlightField::Id;
        case FlightsModel::ColumnDescription: return FlightField::Description;
        default: return FlightField::Type;
    }
}

const std::string& TextOf(const FlightRow& row, int column) {
    switch (column) {
        case FlightsModel::ColumnId: return row.id;
        case FlightsModel::ColumnDescription: return row.description;
        default: return row.type;
    }
}

}  // namespace

FlightsModel::FlightsModel(FlightsTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}

int FlightsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return count_ + (insertRow_ ? 1 : 0);
}

int FlightsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FlightsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Vertical) return section + 1;
    switch (section) {
        case ColumnId: return QStringLiteral("ID");
        case ColumnDescription: return QStringLiteral("DESCRIPTION");
        case ColumnType: return QStringLiteral("Type");
        default: return QVariant();
    }
}

Qt::ItemFlags FlightsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

const FlightRow* FlightsModel::RowAt(int row) const {
    if (row < 0 || row >= count_) return nullptr;
    const int window = row / kWindowRows;
    auto it = windows_.find(window);
    if (it == windows_.end()) {
        if (windows_.size() >= kWindowsKept) windows_.clear();
        std::vector<FlightRow> rows;
        try {
            rows = table_.VisibleRows(static_cast<int64_t>(window) * kWindowRows, kWindowRows);
        } catch (const Error&) {
            // Shown empty; the screen's next action reports the trouble.
        }
        ++windowsRead_;
        it = windows_.emplace(window, std::move(rows)).first;
    }
    const size_t offset = static_cast<size_t>(row % kWindowRows);
    return offset < it->second.size() ? &it->second[offset] : nullptr;
}

QVariant FlightsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole) return QVariant();
    if (IsInsertRow(index.row())) {
        try {
            const auto shown = table_.Shown();
            return shown ? ToQString(TextOf(FlightRow{0, shown->id, shown->description, shown->type}, index.column()))
                         : QString();
        } catch (const Error&) {
            return QString();
        }
    }
    const FlightRow* row = RowAt(index.row());
    return row ? ToQString(TextOf(*row, index.column())) : QString();
}

bool FlightsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
    try {
        if (!IsInsertRow(index.row())) {
            const int64_t rowid = RowidAt(index.row());
            if (rowid == 0 || !table_.MoveTo(rowid)) {
                Reload();  // gone meanwhile (another instance)
                emit RecordPosted();
                return false;
            }
        }
        table_.SetField(FieldOf(index.column()), ToBytes(value.toString()));
        table_.Post();
    } catch (const Error& e) {
        emit warningMessage(QString::fromStdString(e.what()));
        return false;
    }
    // The edit may move the record in the ordering or out of the filter, so
    // the rows are read again, once the view has closed its editor.
    windows_.clear();
    emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(ColumnCount - 1));
    reloadPending_ = true;
    QTimer::singleShot(0, this, &FlightsModel::FinishEdit);
    return true;
}

void FlightsModel::FinishEdit() {
    if (!reloadPending_) return;
    Reload();
    emit RecordPosted();
}

void FlightsModel::Reload() {
    reloadPending_ = false;
    beginResetModel();
    windows_.clear();
    windowsRead_ = 0;
    count_ = 0;
    insertRow_ = false;
    if (table_.IsOpen()) {
        try {
            count_ = static_cast<int>(std::min<int64_t>(table_.RecordCount(), INT32_MAX - 1));
            insertRow_ = table_.State() == FlightsState::Insert;
        } catch (const Error&) {
            count_ = 0;
        }
    }
    endResetModel();
}

int FlightsModel::CurrentRow() const {
    if (insertRow_) return count_;
    if (!table_.IsOpen()) return -1;
    try {
        const int64_t number = table_.RecordNumber();
        return number > 0 && number <= count_ ? static_cast<int>(number - 1) : -1;
    } catch (const Error&) {
        return -1;
    }
}

int64_t FlightsModel::RowidAt(int row) const {
    const FlightRow* r = RowAt(row);
    return r ? r->rowid : 0;
}

}  // namespace kestrova::ui
