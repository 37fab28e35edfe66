#pragma once

#include <memory>
#include <string>

#include <QObject>

namespace kestrova {
class FlightsTable;
}  // namespace kestrova

namespace kestrova::ui {

// The data module: the program's shared data that outlives every screen. It
// is created before the main window and destroyed after it, and holds the
// flights table of Voli.cds in the working directory.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    // Opens the flights table; the message to show when it could not be
    // opened (the table then stays closed), empty otherwise.
    std::string Open(const std::string& workingDirectory);

    // End of the run: posts a pending change. The message to show, or empty.
    std::string Save();

    const std::string& WorkingDirectory() const { return workingDirectory_; }
    // True only when Voli.cds was opened: a module that was never opened, or
    // whose file could not be opened, holds a closed table.
    bool IsOpen() const;

    // The flights table. A closed one when IsOpen() is false: every operation
    // on it then gives the closed-table message instead of touching memory
    // that is not there.
    FlightsTable& ClientDataSet1();

signals:
    // The check of the whole file, which runs after Open, found it damaged:
    // the table is closed now, and this is the message to show.
    void OpenFailedLate(const QString& message);

private:
    void PollCheck();

    std::string workingDirectory_;
    struct Store;  // the flights library's data module
    std::unique_ptr<Store> store_;
    std::unique_ptr<FlightsTable> closed_;
};

}  // namespace kestrova::ui
