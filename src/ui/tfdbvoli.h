#pragma once

#include <array>
#include <functional>
#include <string>

#include "ui/screen.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTableView;
class QToolButton;

namespace kestrova {
class FlightsTable;
}

namespace kestrova::ui {

class FlightsModel;

// DBFlights: browse, filter, order, search and edit the stored flights, and
// write the log of the current one to Report.log. Every control follows the
// flights table's current record.
class TFDBVoli : public Screen {
    Q_OBJECT
public:
    TFDBVoli(const ScreenServices& services, QWidget* area);

    enum NavigatorButton { NavFirst, NavPrior, NavNext, NavLast, NavInsert, NavDelete, NavEdit, NavPost, NavCancel,
                           NavSearch, NavButtonCount };

    QWidget* LMDDBNavigator1;
    std::array<QToolButton*, NavButtonCount> NavButtons{};
    QToolButton* LMDSpeedButton2;
    QToolButton* ExportButton;  // "Export...": the shown flights as CSV
    QLabel* St;
    QTableView* DBGrid1;
    QGroupBox* RadioGroup1;
    QGroupBox* ROrder;
    QLineEdit* Testo;
    QPlainTextEdit* MemoVoli;
    QPlainTextEdit* S;

    FlightsModel* Model() const { return model_; }
    QRadioButton* TypeButton(int index) const;   // 0 All ... 4 International
    QRadioButton* OrderButton(int index) const;  // 0 ID, 1 Description

    // The question before a delete; true for OK. A seam for the tests.
    std::function<bool(QWidget* parent, const QString& text)> confirmDelete;
    // The file to export to, starting in the folder; empty when cancelled. A
    // seam for the tests.
    std::function<QString(QWidget* parent, const QString& folder)> chooseExportFile;

public slots:
    void RadioGroup1Click(int index);
    void ROrderChange(int index);
    void TestoChange(const QString& text);
    void LMDSpeedButton2Click();
    void ExportButtonClick();
    void LMDDBNavigator1NavBtnClick(int button);

protected:
    void FormShow() override;

private:
    FlightsTable& Table() const;
    // Runs a user action on the table: shows its error, then brings every
    // control back in line with the table. reload: the set of visible records
    // may have changed.
    void Act(bool reload, const std::function<void()>& action);
    void ShowRecord();
    void ShowStatus(int row);  // row: the grid's row of the current record
    void GridRowChosen(int row);
    void MemoEdited();

    TDM& dm_;
    std::string workingDirectory_;
    FlightsModel* model_;
    QButtonGroup* typeGroup_;
    QButtonGroup* orderGroup_;
    bool syncing_ = false;
    bool loaded_ = false;
};

}  // namespace kestrova::ui
