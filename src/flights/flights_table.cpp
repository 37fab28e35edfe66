#include "flights/flights_table.h"

#include <sqlite3.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <variant>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "flights/flights_file.h"
#include "platform/platform.h"

namespace kestrova {

namespace {

constexpr const char* kFileName = "Voli.cds";
constexpr const char* kSelect = "SELECT rowid, ID, DESCRIZIONE, PIANO_DI_VOLO, TIPO FROM ClientDataSet1";

using Param = std::variant<std::string, int64_t>;
using Params = std::vector<std::pair<const char*, Param>>;

std::string ColumnString(sqlite3_stmt* stmt, int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    return bytes == nullptr ? std::string() : std::string(bytes, static_cast<size_t>(size));
}

FlightRow ReadListRow(sqlite3_stmt* stmt) {
    FlightRow r;
    r.rowid = sqlite3_column_int64(stmt, 0);
    r.id = ColumnString(stmt, 1);
    r.description = ColumnString(stmt, 2);
    r.type = ColumnString(stmt, 3);
    return r;
}

FlightRecord ReadRow(sqlite3_stmt* stmt) {
    FlightRecord r;
    r.rowid = sqlite3_column_int64(stmt, 0);
    r.id = ColumnString(stmt, 1);
    r.description = ColumnString(stmt, 2);
    r.plan = ColumnString(stmt, 3);
    r.type = ColumnString(stmt, 4);
    return r;
}

// Named parameters the statement does not use are skipped, so one set of
// values serves every variant of a query.
bool Bind(sqlite3_stmt* stmt, const Params& params) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    for (const auto& [name, value] : params) {
        const int index = sqlite3_bind_parameter_index(stmt, name);
        if (index == 0) continue;
        int rc;
        if (const auto* text = std::get_if<std::string>(&value)) {
            rc = sqlite3_bind_text64(stmt, index, text->data(), text->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        } else {
            rc = sqlite3_bind_int64(stmt, index, std::get<int64_t>(value));
        }
        if (rc != SQLITE_OK) return false;
    }
    return true;
}

}  // namespace

std::string CutToField(FlightField field, const std::string& text) {
    switch (field) {
        case FlightField::Id: return text.substr(0, FlightsTable::kIdSize);
        case FlightField::Description: return text.substr(0, FlightsTable::kDescriptionSize);
        case FlightField::Type: return text.substr(0, FlightsTable::kTypeSize);
        case FlightField::Plan: break;
    }
    return text;
}

FlightsTable::FlightsTable() = default;

FlightsTable::FlightsTable(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

FlightsTable::FlightsTable(FlightsTable&& other) noexcept { *this = std::move(other); }

FlightsTable& FlightsTable::operator=(FlightsTable&& other) noexcept {
    if (this == &other) return *this;
    Close();
    db_ = std::exchange(other.db_, nullptr);
    statements_ = std::move(other.statements_);
    other.statements_.clear();
    path_ = std::move(other.path_);
    openError_ = std::move(other.openError_);
    order_ = other.order_;
    typeFilter_ = std::move(other.typeFilter_);
    currentRowid_ = other.currentRowid_;
    lastSeen_ = std::move(other.lastSeen_);
    anchors_ = std::move(other.anchors_);
    anchoredCount_ = other.anchoredCount_;
    anchorsVersion_ = other.anchorsVersion_;
    bof_ = other.bof_;
    eof_ = other.eof_;
    state_ = other.state_;
    modified_ = other.modified_;
    buffer_ = std::move(other.buffer_);
    changed_ = other.changed_;
    checkStop_ = std::move(other.checkStop_);
    check_ = std::move(other.check_);
    dataVersion_ = other.dataVersion_;
    return *this;
}

FlightsTable::~FlightsTable() { Close(); }

void FlightsTable::Close() noexcept {
    anchors_.clear();
    anchorsVersion_ = -1;
    // A check still reading the file is stopped; the future's end waits for it.
    if (checkStop_) checkStop_->Stop();
    if (check_.valid()) check_.wait();
    check_ = {};
    checkStop_.reset();
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    statements_.clear();
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
}

FlightsTable FlightsTable::Open(const std::string& workingDirectory, int busyTimeoutMs) {
    const std::string path = platform::FindFileNoCase(workingDirectory, kFileName);
    flights_file::OpenProblem problem = flights_file::OpenProblem::None;
    sqlite3* db = flights_file::OpenTableFile(path, &problem, busyTimeoutMs);
    FlightsTable table(db, path);
    if (db == nullptr) {
        table.openError_ = msg::Format(
            problem == flights_file::OpenProblem::Busy ? msg::kFileBusy : msg::kCannotOpenFile, kFileName);
        return table;
    }
    try {
        table.First();
        table.ChangedElsewhere();
    } catch (const Error&) {
        // Header and schema are sound (checked above); a failed first read
        // leaves no current record, and the page check below has its say.
    }
    table.StartCheck(busyTimeoutMs);
    return table;
}

void FlightsTable::StartCheck(int busyTimeoutMs) {
    checkStop_ = std::make_shared<flights_file::PageCheckStop>();
    check_ = std::async(std::launch::async, [path = path_, stop = checkStop_, busyTimeoutMs] {
        return flights_file::CheckTablePages(path, *stop, busyTimeoutMs);
    });
}

bool FlightsTable::WaitForCheck() {
    if (check_.valid()) {
        const flights_file::PageVerdict verdict = check_.get();
        checkStop_.reset();
        if (verdict == flights_file::PageVerdict::Damaged) {
            Close();
            state_ = FlightsState::Browse;
            modified_ = false;
            buffer_ = FlightRecord{};
            currentRowid_.reset();
            openError_ = msg::Format(msg::kCannotOpenFile, kFileName);
        }
    }
    return IsOpen();
}

bool FlightsTable::CheckFinished() {
    if (check_.valid() && check_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
    WaitForCheck();
    return true;
}

void FlightsTable::CheckBeforeWrite() {
    if (!WaitForCheck()) CheckOpen();
}

int64_t FlightsTable::DataVersion() {
    sqlite3_stmt* stmt = Statement("PRAGMA data_version");
    sqlite3_reset(stmt);
    const int rc = sqlite3_step(stmt);
    const int64_t version = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    if (rc != SQLITE_ROW) ThrowRead();
    return version;
}

bool FlightsTable::ChangedElsewhere() {
    CheckOpen();
    const int64_t version = DataVersion();
    const bool changed = version != dataVersion_;
    dataVersion_ = version;
    return changed;
}

bool FlightsTable::EnsureAnchors() {
    const int64_t version = DataVersion();
    if (anchorsVersion_ == version) return true;
    DropAnchors();
    const std::string col = OrderColumn();
    sqlite3_stmt* stmt =
        Statement("SELECT " + col + ", rowid FROM ClientDataSet1" + VisibleWhere("") + " ORDER BY " + col + ", rowid");
    Params params;
    if (typeFilter_) params.emplace_back(":type", *typeFilter_);
    if (!Bind(stmt, params)) ThrowRead();
    int64_t n = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (n % kAnchorStride == 0) anchors_.push_back(Key{ColumnString(stmt, 0), sqlite3_column_int64(stmt, 1)});
        ++n;
    }
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) {
        DropAnchors();
        ThrowRead();
    }
    anchoredCount_ = n;
    anchorsVersion_ = version;
    return true;
}

void FlightsTable::CheckOpen() const {
    if (db_ == nullptr) throw Error(std::string(msg::kClosedDataset));
}

// A lock that outlasted the busy timeout is told apart from a damaged file.
bool FlightsTable::Busy() const {
    const int rc = db_ == nullptr ? SQLITE_OK : sqlite3_errcode(db_);
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

void FlightsTable::ThrowRead() const {
    throw Error(msg::Format(Busy() ? msg::kFileBusy : msg::kCannotOpenFile, path_));
}

void FlightsTable::ThrowWrite() const {
    throw Error(msg::Format(Busy() ? msg::kFileBusy : msg::kUnableToWrite, path_));
}

sqlite3_stmt* FlightsTable::Statement(const std::string& sql) {
    if (const auto it = statements_.find(sql); it != statements_.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        ThrowRead();
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

const char* FlightsTable::OrderColumn() const { return order_ == FlightsOrder::Id ? "ID" : "DESCRIZIONE"; }

const std::string& FlightsTable::OrderValue(const FlightRecord& record) const {
    return order_ == FlightsOrder::Id ? record.id : record.description;
}

// The WHERE clause of the visible records, with an extra condition on the
// ordering key; only fixed text goes into the SQL, values are bound.
std::string FlightsTable::VisibleWhere(const std::string& extra) const {
    std::string where;
    if (typeFilter_) where = "TIPO = :type";
    if (!extra.empty()) where += (where.empty() ? "" : " AND ") + extra;
    return where.empty() ? std::string() : " WHERE " + where;
}

std::optional<FlightRecord> FlightsTable::QueryOne(const std::string& sql, const std::vector<std::string>& texts,
                                                   const std::vector<int64_t>& numbers) {
    // texts bind :key (then :type is added from the filter); numbers bind :rowid.
    Params params;
    if (typeFilter_) params.emplace_back(":type", *typeFilter_);
    if (!texts.empty()) params.emplace_back(":key", texts[0]);
    if (!numbers.empty()) params.emplace_back(":rowid", numbers[0]);
    sqlite3_stmt* stmt = Statement(sql);
    if (!Bind(stmt, params)) ThrowRead();
    const int rc = sqlite3_step(stmt);
    std::optional<FlightRecord> result;
    if (rc == SQLITE_ROW) {
        result = ReadRow(stmt);
    } else if (rc != SQLITE_DONE) {
        sqlite3_reset(stmt);
        ThrowRead();
    }
    sqlite3_reset(stmt);
    return result;
}

std::optional<FlightRecord> FlightsTable::ReadRecord(int64_t rowid) {
    CheckOpen();
    sqlite3_stmt* stmt = Statement(std::string(kSelect) + " WHERE rowid = :rowid");
    if (!Bind(stmt, {{":rowid", rowid}})) ThrowRead();
    const int rc = sqlite3_step(stmt);
    std::optional<FlightRecord> result;
    if (rc == SQLITE_ROW) {
        result = ReadRow(stmt);
    } else if (rc != SQLITE_DONE) {
        sqlite3_reset(stmt);
        ThrowRead();
    }
    sqlite3_reset(stmt);
    return result;
}

bool FlightsTable::Land(std::optional<FlightRecord> record) {
    if (!record) return false;
    currentRowid_ = record->rowid;
    Remember(*record);
    return true;
}

void FlightsTable::Remember(const FlightRecord& record) {
    lastSeen_ = FlightRow{record.rowid, record.id, record.description, record.type};
}

void FlightsTable::Execute(const std::string& sql, const FlightRecord& values) {
    CheckBeforeWrite();
    sqlite3_stmt* stmt = Statement(sql);
    const Params params = {{":id", CutToField(FlightField::Id, values.id)},
                           {":description", CutToField(FlightField::Description, values.description)},
                           {":plan", values.plan},
                           {":type", CutToField(FlightField::Type, values.type)},
                           {":rowid", values.rowid}};
    if (!Bind(stmt, params)) ThrowWrite();
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    DropAnchors();
    if (rc != SQLITE_DONE) ThrowWrite();
}

// Puts the cursor back on a visible record after the set of visible records
// changed: the current one when still visible, else the one that follows its
// place in the ordering, else the last, else none.
void FlightsTable::Resync() {
    std::optional<FlightRecord> current;
    if (currentRowid_) current = ReadRecord(*currentRowid_);
    if (current && (!typeFilter_ || current->type == *typeFilter_)) {
        Remember(*current);
        return;
    }
    // Gone from the file: its place as last read.
    if (!current && currentRowid_ && lastSeen_ && lastSeen_->rowid == *currentRowid_)
        current = FlightRecord{lastSeen_->rowid, lastSeen_->id, lastSeen_->description, {}, lastSeen_->type};
    currentRowid_.reset();
    const std::string col = OrderColumn();
    std::optional<FlightRecord> found;
    if (current) {
        found = QueryOne(std::string(kSelect) + VisibleWhere("(" + col + ", rowid) >= (:key, :rowid)") + " ORDER BY " +
                             col + ", rowid LIMIT 1",
                         {OrderValue(*current)}, {current->rowid});
    }
    if (!found) {
        const char* direction = current ? " DESC, rowid DESC" : ", rowid";
        found = QueryOne(std::string(kSelect) + VisibleWhere("") + " ORDER BY " + col + direction + " LIMIT 1", {}, {});
    }
    Land(std::move(found));
}

void FlightsTable::InsertFlight(const std::string& id, const std::string& description, const std::string& plan,
                                const std::string& type) {
    CheckOpen();
    CheckBrowseMode();
    FlightRecord values{0, id, description, plan, type};
    Execute("INSERT INTO ClientDataSet1 (ID, DESCRIZIONE, PIANO_DI_VOLO, TIPO) VALUES (:id, :description, :plan, :type)",
            values);
    currentRowid_ = sqlite3_last_insert_rowid(db_);
    bof_ = eof_ = false;
    Resync();
}

void FlightsTable::SetOrder(FlightsOrder order) {
    CheckOpen();
    CheckBrowseMode();
    if (order_ != order) DropAnchors();
    order_ = order;
    Resync();
}

void FlightsTable::SetOrderByFieldName(const std::string& fieldName) {
    if (fieldName == "ID") {
        SetOrder(FlightsOrder::Id);
    } else if (fieldName == "DESCRIZIONE") {
        SetOrder(FlightsOrder::Description);
    } else {
        CheckOpen();
        throw std::invalid_argument("no ordering on field " + fieldName);
    }
}

void FlightsTable::SetTypeFilter(const std::string& type) {
    CheckOpen();
    CheckBrowseMode();
    DropAnchors();
    typeFilter_ = type;
    First();
}

void FlightsTable::ClearTypeFilter() {
    CheckOpen();
    CheckBrowseMode();
    DropAnchors();
    typeFilter_.reset();
    First();
}

bool FlightsTable::First() {
    CheckOpen();
    CheckBrowseMode();
    const std::string col = OrderColumn();
    auto found = QueryOne(std::string(kSelect) + VisibleWhere("") + " ORDER BY " + col + ", rowid LIMIT 1", {}, {});
    bof_ = true;
    eof_ = !found;
    if (!found) currentRowid_.reset();
    return Land(std::move(found));
}

bool FlightsTable::Last() {
    CheckOpen();
    CheckBrowseMode();
    const std::string col = OrderColumn();
    auto found =
        QueryOne(std::string(kSelect) + VisibleWhere("") + " ORDER BY " + col + " DESC, rowid DESC LIMIT 1", {}, {});
    eof_ = true;
    bof_ = !found;
    if (!found) currentRowid_.reset();
    return Land(std::move(found));
}

bool FlightsTable::Next() {
    CheckOpen();
    CheckBrowseMode();
    const auto current = Current();
    if (!current) {
        eof_ = true;
        return false;
    }
    const std::string col = OrderColumn();
    auto found = QueryOne(std::string(kSelect) + VisibleWhere("(" + col + ", rowid) > (:key, :rowid)") + " ORDER BY " +
                              col + ", rowid LIMIT 1",
                          {OrderValue(*current)}, {current->rowid});
    bof_ = false;
    eof_ = !found;
    return Land(std::move(found));
}

bool FlightsTable::Prior() {
    CheckOpen();
    CheckBrowseMode();
    const auto current = Current();
    if (!current) {
        bof_ = true;
        return false;
    }
    const std::string col = OrderColumn();
    auto found = QueryOne(std::string(kSelect) + VisibleWhere("(" + col + ", rowid) < (:key, :rowid)") + " ORDER BY " +
                              col + " DESC, rowid DESC LIMIT 1",
                          {OrderValue(*current)}, {current->rowid});
    eof_ = false;
    bof_ = !found;
    return Land(std::move(found));
}

bool FlightsTable::MoveTo(int64_t rowid) {
    CheckOpen();
    CheckBrowseMode();
    const auto record = ReadRecord(rowid);
    if (!record || (typeFilter_ && record->type != *typeFilter_)) return false;
    bof_ = eof_ = false;
    return Land(record);
}

bool FlightsTable::FindNearest(const std::string& text) {
    CheckOpen();
    CheckBrowseMode();
    const std::string col = OrderColumn();
    auto found = QueryOne(
        std::string(kSelect) + VisibleWhere(col + " >= :key") + " ORDER BY " + col + ", rowid LIMIT 1", {text}, {});
    bof_ = eof_ = false;
    if (found) return Land(std::move(found));
    return Last();
}

std::optional<FlightRecord> FlightsTable::Current() {
    CheckOpen();
    if (!currentRowid_) return std::nullopt;
    auto record = ReadRecord(*currentRowid_);
    if (record) Remember(*record);
    if (!record) {
        // Deleted behind our back (another instance): the next record takes its place.
        Resync();
        if (currentRowid_) record = ReadRecord(*currentRowid_);
    }
    return record;
}

std::optional<FlightRecord> FlightsTable::Shown() {
    CheckOpen();
    if (state_ != FlightsState::Browse) return buffer_;
    return Current();
}

int64_t FlightsTable::RecordCount() {
    CheckOpen();
    if (EnsureAnchors()) return anchoredCount_;
    sqlite3_stmt* stmt = Statement("SELECT count(*) FROM ClientDataSet1" + VisibleWhere(""));
    Params params;
    if (typeFilter_) params.emplace_back(":type", *typeFilter_);
    if (!Bind(stmt, params)) ThrowRead();
    const int rc = sqlite3_step(stmt);
    const int64_t count = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    if (count < 0) ThrowRead();
    return count;
}

int64_t FlightsTable::RecordNumber() {
    const auto current = Current();
    if (!current) return 0;
    const std::string col = OrderColumn();
    // Counted from the nearest anchor at or before the record.
    EnsureAnchors();
    const Key key{OrderValue(*current), current->rowid};
    const auto after = std::upper_bound(anchors_.begin(), anchors_.end(), key, [](const Key& a, const Key& b) {
        return a.value < b.value || (a.value == b.value && a.rowid < b.rowid);
    });
    int64_t base = 0;
    Params params = {{":key", key.value}, {":rowid", key.rowid}};
    std::string range = "(" + col + ", rowid) < (:key, :rowid)";
    if (after != anchors_.begin()) {
        const Key& anchor = *std::prev(after);
        base = (std::prev(after) - anchors_.begin()) * kAnchorStride;
        range += " AND (" + col + ", rowid) >= (:lokey, :lorowid)";
        params.emplace_back(":lokey", anchor.value);
        params.emplace_back(":lorowid", anchor.rowid);
    }
    sqlite3_stmt* stmt = Statement("SELECT count(*) FROM ClientDataSet1" + VisibleWhere(range));
    if (typeFilter_) params.emplace_back(":type", *typeFilter_);
    if (!Bind(stmt, params)) ThrowRead();
    const int rc = sqlite3_step(stmt);
    const int64_t before = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    if (before < 0) ThrowRead();
    return base + before + 1;
}

std::vector<FlightRow> FlightsTable::VisibleRecords() { return VisibleRows(0, -1); }

std::vector<FlightRow> FlightsTable::VisibleRows(int64_t first, int64_t count) {
    CheckOpen();
    const std::string col = OrderColumn();
    if (first < 0) first = 0;
    // From the anchor at or before the first row; the ordering index walks
    // past the rows skipped after it without reading them.
    std::string range;
    Params params;
    if (first >= kAnchorStride && EnsureAnchors() && !anchors_.empty()) {
        const size_t a = std::min(static_cast<size_t>(first / kAnchorStride), anchors_.size() - 1);
        range = "(" + col + ", rowid) >= (:lokey, :lorowid)";
        params.emplace_back(":lokey", anchors_[a].value);
        params.emplace_back(":lorowid", anchors_[a].rowid);
        first -= static_cast<int64_t>(a) * kAnchorStride;
    }
    sqlite3_stmt* stmt = Statement("SELECT rowid, ID, DESCRIZIONE, TIPO FROM ClientDataSet1" + VisibleWhere(range) +
                                   " ORDER BY " + col + ", rowid LIMIT :count OFFSET :first");
    params.emplace_back(":count", count);
    params.emplace_back(":first", first);
    if (typeFilter_) params.emplace_back(":type", *typeFilter_);
    if (!Bind(stmt, params)) ThrowRead();
    std::vector<FlightRow> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) rows.push_back(ReadListRow(stmt));
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) ThrowRead();
    return rows;
}

std::vector<FlightRecord> FlightsTable::VisibleRecordsWithPlans() {
    CheckOpen();
    const std::string col = OrderColumn();
    sqlite3_stmt* stmt = Statement(std::string(kSelect) + VisibleWhere("") + " ORDER BY " + col + ", rowid");
    Params params;
    if (typeFilter_) params.emplace_back(":type", *typeFilter_);
    if (!Bind(stmt, params)) ThrowRead();
    std::vector<FlightRecord> records;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) records.push_back(ReadRow(stmt));
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) ThrowRead();
    return records;
}

void FlightsTable::Insert() {
    CheckOpen();
    CheckBrowseMode();
    buffer_ = FlightRecord{};
    changed_ = {};
    state_ = FlightsState::Insert;
    modified_ = false;
}

void FlightsTable::Edit() {
    CheckOpen();
    if (state_ != FlightsState::Browse) return;
    const auto current = Current();
    if (!current) {
        Insert();
        return;
    }
    buffer_ = *current;
    changed_ = {};
    state_ = FlightsState::Edit;
    modified_ = false;
}

void FlightsTable::SetField(FlightField field, const std::string& value) {
    CheckOpen();
    if (state_ == FlightsState::Browse) Edit();
    const std::string cut = CutToField(field, value);
    switch (field) {
        case FlightField::Id: buffer_.id = cut; break;
        case FlightField::Description: buffer_.description = cut; break;
        case FlightField::Plan: buffer_.plan = cut; break;
        case FlightField::Type: buffer_.type = cut; break;
    }
    changed_[static_cast<size_t>(field)] = true;
    modified_ = true;
}

void FlightsTable::Post() {
    CheckOpen();
    if (state_ == FlightsState::Browse) return;
    bool inserted = state_ == FlightsState::Insert;
    if (!inserted) {
        static const char* const kAssignments[] = {"ID = :id", "DESCRIZIONE = :description", "PIANO_DI_VOLO = :plan",
                                                   "TIPO = :type"};
        std::string sets;
        for (size_t f = 0; f < changed_.size(); ++f)
            if (changed_[f]) sets += (sets.empty() ? "" : ", ") + std::string(kAssignments[f]);
        Execute("UPDATE ClientDataSet1 SET " + sets + " WHERE rowid = :rowid", buffer_);
        // A record deleted meanwhile by another instance: keep the edit as a new record.
        inserted = sqlite3_changes(db_) == 0;
    }
    if (inserted) {
        Execute("INSERT INTO ClientDataSet1 (ID, DESCRIZIONE, PIANO_DI_VOLO, TIPO) VALUES (:id, :description, :plan, "
                ":type)",
                buffer_);
        buffer_.rowid = sqlite3_last_insert_rowid(db_);
    }
    currentRowid_ = buffer_.rowid;
    state_ = FlightsState::Browse;
    modified_ = false;
    buffer_ = FlightRecord{};
    changed_ = {};
    bof_ = eof_ = false;
    Resync();
}

void FlightsTable::Cancel() {
    CheckOpen();
    state_ = FlightsState::Browse;
    modified_ = false;
    buffer_ = FlightRecord{};
    changed_ = {};
}

bool FlightsTable::Delete() {
    CheckOpen();
    if (state_ == FlightsState::Insert) {
        Cancel();
        return true;
    }
    Cancel();
    const auto current = Current();
    if (!current) return false;
    CheckBeforeWrite();
    sqlite3_stmt* stmt = Statement("DELETE FROM ClientDataSet1 WHERE rowid = :rowid");
    if (!Bind(stmt, {{":rowid", current->rowid}})) ThrowWrite();
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    DropAnchors();
    if (rc != SQLITE_DONE) ThrowWrite();
    // Resync from the deleted record's place: the one after it, else the last.
    const std::string col = OrderColumn();
    currentRowid_.reset();
    auto found = QueryOne(std::string(kSelect) + VisibleWhere("(" + col + ", rowid) > (:key, :rowid)") + " ORDER BY " +
                              col + ", rowid LIMIT 1",
                          {OrderValue(*current)}, {current->rowid});
    bof_ = eof_ = false;
    if (!found) {
        found = QueryOne(std::string(kSelect) + VisibleWhere("") + " ORDER BY " + col + " DESC, rowid DESC LIMIT 1", {},
                         {});
    }
    Land(std::move(found));
    return true;
}

void FlightsTable::CheckBrowseMode() {
    if (state_ == FlightsState::Browse) return;
    if (modified_) {
        Post();
    } else {
        Cancel();
    }
}

TDM::TDM(const std::string& workingDirectory) : table_(FlightsTable::Open(workingDirectory)) {}

TDM::~TDM() {
    if (shutDown_) return;
    try {
        Shutdown();
    } catch (...) {
    }
}

std::string TDM::Shutdown() {
    shutDown_ = true;
    if (!table_.IsOpen()) return std::string(msg::kClosedDataset);
    try {
        table_.CheckBrowseMode();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

void SaveToReportLog(const FlightsTable& table, const std::string& workingDirectory, const std::string& logText) {
    table.CheckOpen();
    platform::SaveLines(platform::FindFileNoCase(workingDirectory, "Report.log"), SplitLines(logText));
}

}  // namespace kestrova
