#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMessageBox>

#include "review/recent_files.h"
#include "settings/settings_file.h"
#include "ui/screen.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStatusBar;
class QToolButton;

namespace kestrova::platform {
class MailHandOff;
}

namespace kestrova::ui {

// Review Flight: a plain text editor for the navigation log. The pilot opens
// Report.log (or any text file), merges the flight record into it with
// "Update Log", edits and saves it (one ".BAK" backup) and hands it to the
// mail program. The file's bytes go through unchanged: 8-bit text, its own
// line ends. The title is the name of the open file.
class TFView : public Screen {
    Q_OBJECT
public:
    TFView(const ScreenServices& services, QWidget* area);
    ~TFView() override;

    QToolButton* open;
    QToolButton* Nuovo;
    QToolButton* LMDSpeedButton6;  // Save
    QToolButton* LMDSpeedButton2;  // Send Log
    QComboBox* fc;                 // font
    QComboBox* fcs;                // font size
    QToolButton* LMDSpeedButton1;  // Update Log
    QPlainTextEdit* LMDMemo1;
    QStatusBar* LMDStatusBar1;
    QMenu* mruMenu;  // the drop-down of the recent-files list

    const std::string& CurrentFileName() const { return fileName_; }
    const review::RecentFiles& mru() const { return mru_; }
    QLabel* Panel(int index) const { return panels_[index]; }
    // The editor's text as the bytes Save writes.
    std::string EditorBytes() const;

    // Seams for the modal questions, so that tests answer them. Each defaults
    // to the real dialog. An empty path means the pilot cancelled.
    std::function<QString(const QString& startDirectory)> chooseOpenFile;
    std::function<QString(const QString& currentFile)> chooseSaveFile;
    std::function<QMessageBox::StandardButton()> askSaveChanges;  // Save, Discard or Cancel
    std::function<bool()> confirmClearList;
    void SetMailHandOff(std::unique_ptr<platform::MailHandOff> mail);

    bool FormCloseQuery() override;

public slots:
    void openClick();
    void mruClick(const QString& path);
    void ClearListClick();
    void NuovoClick();
    bool Save1Click();
    bool SaveAs1Click();
    void fcSelect();
    void fcsChange();
    void LMDSpeedButton1Click();  // Update Log
    void LMDSpeedButton2Click();  // Send Log

    // Loads the file as the current file; false (after the message) when it
    // cannot be read, leaving editor and current file as they were.
    bool OpenF(const QString& path);

protected:
    void FormShow() override;
    void FormHide() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar(QHBoxLayout* bar);
    void BuildStatusBar();
    void FillFonts(const QString& current);
    void FillSizes();
    void ApplyFont();
    void FillMruMenu();
    void LMDMemo1CursorPosChanged();
    void LMDApplicationCtrl1EditModeChange();
    void ShowLockKeys();
    void SetEditorBytes(const std::string& bytes);
    // False when the pilot cancelled or the save failed: the caller stops.
    bool MaySetTextAside();
    void StoreFont();

    SettingsFile ini_;
    std::string workingDirectory_;
    std::string fileName_;
    std::string lineEnd_ = "\r\n";  // the line end of the open file, kept for Save
    QString fontName_;
    QStringList recentFonts_;
    review::RecentFiles mru_;
    std::unique_ptr<platform::MailHandOff> mail_;
    QLabel* panels_[8] = {};
};

}  // namespace kestrova::ui
