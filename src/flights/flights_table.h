#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flights/flights_file.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kestrova {

// One stored flight. Texts are the stored bytes, unchanged.
struct FlightRecord {
    int64_t rowid = 0;  // the record's identity in Voli.cds; 0 for a record not yet posted
    std::string id;
    std::string description;
    std::string plan;  // the whole navigation log, lines ended by CR LF
    std::string type;  // "B", "T", "N", "I" or empty
};

// A flight as a list shows it: everything but the log. A row read this way
// has no log that an edit could write back over the stored one.
struct FlightRow {
    int64_t rowid = 0;
    std::string id;
    std::string description;
    std::string type;
};

enum class FlightField { Id, Description, Plan, Type };
enum class FlightsOrder { Id, Description };
enum class FlightsState { Browse, Edit, Insert };

// The flights table kept in Voli.cds of the working directory. Every posted
// insert, edit and delete is committed to the file before the call returns.
// It also carries a cursor over the visible records (current ordering and
// type filter), as the browser screen needs: one current record, and a record
// buffer for an insert or edit that is pending until Post or Cancel.
//
// A table that could not be opened stays closed: OpenError() tells why, and
// every operation on it throws Error("ClientDataSet1: Cannot perform this
// operation on a closed dataset"). Failures of the file while open throw
// Error("Unable to write to <path>") or Error("Cannot open file <path>").
class FlightsTable {
public:
    static constexpr size_t kIdSize = 20;
    static constexpr size_t kDescriptionSize = 50;
    static constexpr size_t kTypeSize = 1;

    // Opens Voli.cds of the directory, creating an empty table when no such file
    // exists. A file that exists but is not a readable, writable flights table
    // is left untouched and gives the closed table with the error
    // "Cannot open file Voli.cds"; one that another process keeps locked for
    // longer than busyTimeoutMs gives "File Voli.cds is busy: ...". An open
    // table waits as long for each lock. It starts ordered by ID, without
    // filter, on its first record.
    //
    // Only the header and the schema are checked before Open returns; every
    // page is read on a worker thread meanwhile. Any write waits for that
    // verdict, and a damaged file closes the table (with the open error) so
    // it is never written.
    static FlightsTable Open(const std::string& workingDirectory, int busyTimeoutMs = 5000);

    FlightsTable();  // a closed table
    FlightsTable(FlightsTable&& other) noexcept;
    FlightsTable& operator=(FlightsTable&& other) noexcept;
    FlightsTable(const FlightsTable&) = delete;
    FlightsTable& operator=(const FlightsTable&) = delete;
    ~FlightsTable();

    bool IsOpen() const { return db_ != nullptr; }
    const std::string& OpenError() const { return openError_; }
    const std::string& Path() const { return path_; }
    // Throws the closed-table error when the table is not open.
    void CheckOpen() const;

    // Waits for the check of the file's pages; a damaged file closes the table.
    // Returns IsOpen().
    bool WaitForCheck();
    // The same without waiting: true once the verdict is in (or there is no
    // check), false while the check still runs.
    bool CheckFinished();
    // True when another connection (another instance of the program) committed
    // a change since the last call.
    bool ChangedElsewhere();

    // Inserts and posts a record in one step (a pending browser change is
    // posted or dropped first); the new record becomes the current one.
    // Texts longer than their fields are cut.
    void InsertFlight(const std::string& id, const std::string& description, const std::string& plan,
                      const std::string& type = "");

    // Ordering and filter. Both keep the current record when it stays visible;
    // a pending change is posted (or dropped when nothing was changed) first.
    void SetOrder(FlightsOrder order);
    void SetOrderByFieldName(const std::string& fieldName);  // "ID" or "DESCRIZIONE", else invalid_argument
    FlightsOrder Order() const { return order_; }
    // Shows only the records whose TIPO equals the text exactly; moves to the first of them.
    void SetTypeFilter(const std::string& type);
    // Shows every record again; moves to the first.
    void ClearTypeFilter();
    const std::optional<std::string>& TypeFilter() const { return typeFilter_; }

    // Cursor over the visible records. Each move posts or drops a pending change
    // first. False when there is no record to move to (the cursor then stays).
    bool First();
    bool Prior();
    bool Next();
    bool Last();
    // Makes the record with this rowid current; false when it does not exist or
    // is hidden by the filter.
    bool MoveTo(int64_t rowid);
    // The first visible record whose ordering field (ID or DESCRIZIONE) equals
    // the text or sorts after it, byte by byte; the last record when none does.
    // False when no record is visible.
    bool FindNearest(const std::string& text);
    bool Bof() const { return bof_; }  // the last move tried to go before the first record
    bool Eof() const { return eof_; }  // the last move tried to go past the last record

    // The current record as stored (not the pending buffer); empty when no
    // record is visible.
    std::optional<FlightRecord> Current();
    // The record as the screen shows it: the pending buffer while editing or
    // inserting, else the current record.
    std::optional<FlightRecord> Shown();
    // 1-based position of the current record among the visible ones; 0 when none.
    int64_t RecordNumber();
    int64_t RecordCount();
    bool IsEmpty() { return RecordCount() == 0; }
    // The visible records in the current ordering, without their logs.
    std::vector<FlightRow> VisibleRecords();
    // A window of them: count rows from the 0-based position first.
    std::vector<FlightRow> VisibleRows(int64_t first, int64_t count);
    // The visible records with their logs.
    std::vector<FlightRecord> VisibleRecordsWithPlans();
    // Any record by rowid, regardless of the filter.
    std::optional<FlightRecord> ReadRecord(int64_t rowid);

    // Editing.
    FlightsState State() const { return state_; }
    bool Modified() const { return modified_; }
    // Starts a new empty record (posting or dropping a pending change first).
    void Insert();
    // Starts editing the current record; on an empty table it starts an insert.
    void Edit();
    // Sets a field of the pending record, starting an edit when browsing.
    // Texts longer than the field are cut.
    void SetField(FlightField field, const std::string& value);
    // Writes the pending record to the file; nothing when browsing. An edit
    // writes only the fields set since it began, so a change another instance
    // made to the other fields meanwhile stays.
    void Post();
    // Drops the pending change; the cursor returns to the record it was on.
    void Cancel();
    // Deletes the current record (while inserting: drops the insert); the next
    // record becomes current, or the prior one at the end. False when there is
    // no record.
    bool Delete();
    // Posts a pending change when something was changed, else drops it.
    void CheckBrowseMode();

private:
    struct Key {
        std::string value;
        int64_t rowid = 0;
    };

    FlightsTable(sqlite3* db, std::string path);
    void Close() noexcept;
    sqlite3_stmt* Statement(const std::string& sql);
    std::optional<FlightRecord> QueryOne(const std::string& sql, const std::vector<std::string>& texts,
                                         const std::vector<int64_t>& numbers);
    std::string VisibleWhere(const std::string& extra) const;
    const char* OrderColumn() const;
    const std::string& OrderValue(const FlightRecord& record) const;
    bool Land(std::optional<FlightRecord> record);
    void Remember(const FlightRecord& record);
    void Resync();
    void StartCheck(int busyTimeoutMs);
    void CheckBeforeWrite();
    bool EnsureAnchors();
    void DropAnchors() { anchors_.clear(); anchorsVersion_ = -1; }
    int64_t DataVersion();
    void Execute(const std::string& sql, const FlightRecord& values);
    bool Busy() const;
    [[noreturn]] void ThrowRead() const;
    [[noreturn]] void ThrowWrite() const;

    sqlite3* db_ = nullptr;
    std::string path_;
    std::string openError_;
    std::map<std::string, sqlite3_stmt*> statements_;

    FlightsOrder order_ = FlightsOrder::Id;
    std::optional<std::string> typeFilter_;
    std::optional<int64_t> currentRowid_;
    // The current record as last read, so that one deleted by another
    // instance still gives its place in the ordering.
    std::optional<FlightRow> lastSeen_;
    bool bof_ = false;
    bool eof_ = false;

    FlightsState state_ = FlightsState::Browse;
    bool modified_ = false;
    FlightRecord buffer_;
    std::array<bool, 4> changed_{};  // by FlightField, since the edit began

    // Every kAnchorStride-th key of the visible records in the current
    // ordering, read in one pass of its index, so that a position or a window
    // far down the list costs a search and a short walk, not a count from the
    // top. Read again after any change (ours, or another connection's as
    // data_version tells).
    static constexpr int64_t kAnchorStride = 256;
    std::vector<Key> anchors_;
    int64_t anchoredCount_ = 0;
    int64_t anchorsVersion_ = -1;

    std::shared_ptr<flights_file::PageCheckStop> checkStop_;
    std::future<flights_file::PageVerdict> check_;
    int64_t dataVersion_ = 0;
};

// Cuts a text to the size of its field (the plan has none).
std::string CutToField(FlightField field, const std::string& text);

// The data module: created first by the application, it opens the flights
// table of the working directory and owns it for the whole run.
class TDM {
public:
    explicit TDM(const std::string& workingDirectory);
    ~TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    FlightsTable& ClientDataSet1() { return table_; }
    // The message to show after start-up when the table could not be opened; empty otherwise.
    const std::string& OpenMessage() const { return table_.OpenError(); }
    // End of the run: a pending change is posted when something was changed,
    // else dropped. Returns the message to show, empty when all went well
    // (the closed-table message when the table was never open).
    std::string Shutdown();

private:
    FlightsTable table_;
    bool shutDown_ = false;
};

// "Save To Report.log": writes the log text (the current record's log with any
// unposted edits) to Report.log of the working directory, each line ended by
// CR LF, replacing the file atomically; an empty text gives an empty file.
// Throws the closed-table error when the table is closed and
// Error("Cannot create file <path>") when the file cannot be written.
void SaveToReportLog(const FlightsTable& table, const std::string& workingDirectory, const std::string& logText);

}  // namespace kestrova
