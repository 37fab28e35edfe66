#pragma once

#include <functional>
#include <optional>

#include "navlog/select_plan.h"
#include "ui/screen.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace kestrova::ui {

// Select Plan: loads a planner's navlog, shows it, and on "Prepare Log" turns
// it into Report.log with the chosen planner's reader, as `kestrova-cli
// prepare` does; with "Save To DbFlights" ticked the log is also stored as a
// new flight under the ID the pilot gives.
class TFSelect : public Screen {
    Q_OBJECT
public:
    TFSelect(const ScreenServices& services, QWidget* area);

    enum Planner { kFlightPlanner = 0, kWinPlanner = 1 };

    // The browse dialog of the file field: starts in dir with the filters and
    // the current one; returns the chosen file, or empty when cancelled.
    using BrowseDialog =
        std::function<QString(QWidget* parent, const QString& dir, const QStringList& filters, int current)>;
    // The flight ID box: caption, prompt and preset; nothing when cancelled.
    using InputBox = std::function<std::optional<QString>(QWidget* parent, const QString& caption,
                                                          const QString& prompt, const QString& preset)>;
    // Tests answer the dialogs through these.
    void SetBrowseDialog(BrowseDialog dialog) { browse_ = std::move(dialog); }
    void SetInputBox(InputBox box) { inputBox_ = std::move(box); }

    // The dialog's filter entries ("Text Files|*.txt|Planner|*.pln") and the
    // index of the one it opens with.
    static QStringList DialogFilters();
    int CurrentFilter() const { return filterIndex_; }
    const QString& DialogDirectory() const { return dialogDirectory_; }

    QGroupBox* LMDRADIO;
    QButtonGroup* LMDRADIOItems;  // the two items, ids kFlightPlanner / kWinPlanner
    QCheckBox* CheckDb;
    QLineEdit* FileOpen;
    QToolButton* FileOpenBrowse;
    QToolButton* LMDButton1;
    QToolButton* LMDSpeedButton1;
    QPlainTextEdit* s;
    QPlainTextEdit* Memo;

    const navlog::SelectPlanState& State() const { return state_; }

public slots:
    void LMDRADIOChange(int item);
    void FileOpenChange(const QString& text);
    void FileOpenBrowseClick();
    void LMDSpeedButton1Click();
    void LMDButton1Click() {}

protected:
    void FormShow() override;

private:
    void ShowState();
    void StoreFlight();

    ScreenServices services_;
    navlog::SelectPlanState state_;
    int filterIndex_ = 0;
    QString dialogDirectory_;
    BrowseDialog browse_;
    InputBox inputBox_;
};

}  // namespace kestrova::ui
