#pragma once

#include <functional>
#include <string>

#include <QStringList>

#include "ui/screen.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace kestrova::ui {

// What a file dialog is asked to show. Filters are Qt name filters in the
// order of the control's filter list.
struct FileDialogRequest {
    QString objectName;  // "FEdit" for the browse dialog, "SaveDialog1"
    QString directory;
    QStringList filters;
    QString selectedFilter;
    QString defaultSuffix;
    QString fileName;  // preset name; empty for none
};

// Shows the dialog and returns the path the pilot confirmed, or an empty text
// when the pilot cancelled.
using FileDialogSeam = std::function<QString(const FileDialogRequest&)>;

// Conversion Block: converts a planner plan file into a route file of a
// navigation add-on, shows it and copies it to where the pilot chooses.
class TFConvert : public Screen {
    Q_OBJECT
public:
    TFConvert(const ScreenServices& services, QWidget* area);

    QLabel* LMDSimpleLabel1;
    QLineEdit* FEdit;
    QToolButton* FEditBrowse;  // the browse button of FEdit
    QToolButton* LMDSpeedButton2;
    QGroupBox* FromRadio;
    QGroupBox* ToRadio;
    QToolButton* LMDSpeedButton1;
    QPlainTextEdit* LMDMemo1;

    // The dialogs; real file dialogs unless a test answers for the pilot.
    FileDialogSeam openDialog;
    FileDialogSeam saveDialog;

    int FromItemIndex() const;
    int ToItemIndex() const;

public slots:
    void FEditBrowseClick();
    void FromRadioChange();
    void LMDSpeedButton2Click();
    void LMDSpeedButton1Click();

protected:
    void FormShow() override;

private:
    void LoadIntoMemo(const QString& path);
    void OfferToSave(const std::string& output, int kind);

    std::string workingDirectory_;
    QButtonGroup* fromItems_;
    QButtonGroup* toItems_;
    // The browse dialog's own state: its start folder, its filter position
    // (from 1) and the name it last held. Convert waits for that name.
    QString browseDirectory_;
    int browseFilterIndex_ = 1;
    QString browseFileName_;
};

}  // namespace kestrova::ui
