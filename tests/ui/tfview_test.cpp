#include <stdlib.h>

#include <memory>

#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>

#include "platform/mail_handoff.h"
#include "ui/tdm.h"
#include "ui/tfmain.h"
#include "ui/tfview.h"
#include "ui_test_support.h"

using namespace kestrova;
using namespace kestrova::ui;

namespace {

// A mail hand-off that keeps what it was given, or refuses it.
class RecordingMail : public platform::MailHandOff {
public:
    RecordingMail(QByteArrayList& bodies, bool accept) : bodies_(bodies), accept_(accept) {}
    bool Send(std::string_view body) override {
        bodies_ << QByteArray(body.data(), static_cast<qsizetype>(body.size()));
        return accept_;
    }

private:
    QByteArrayList& bodies_;
    bool accept_;
};

// The flight of tests/review/fixtures/normal_flight.log, as the recorder wrote it.
QByteArray NormalFlightRecord() {
    const QByteArray tail = ",Cessna Skylane RG, Altamarinola, I-KEST,41.8,12.2\r\n";
    return "9:2,163,0,15,> 50,1013,270,12,15,500,Few 1/8,N41 48' 0.00\",E12 14' 0.00\",11:2,0,5" + tail +
           "9:9,253,118,2980,25,1012,265,14,12,492,Sct 3/8,N41 44' 1.20\",E12 16' 3.00\",11:9,0,908" + tail +
           "9:24,310,121,4510,20,1012,280,18,9,475,Sct 3/8,N42 4' 0.00\",E11 50' 0.00\",11:24,0,1374" + tail +
           "9:45,321,125,4490,18.5,1011,290,20,9,451,Sct 4/8,N42 45' 0.00\",E11 6' 0.00\",11:45,0,1368" + tail +
           "9:52,343,119,3520,15,1011,300,16,10,443,Brk 5/8,N42 48' 0.00\",E10 20' 0.00\",11:52,0,1072" + tail +
           "9:58,355,110,2005,12.5,1010,310,10,12,436,Brk 5/8,N43 39' 0.00\",E10 24' 0.00\",11:58,0,611" + tail +
           "10:4,2,0,12,12.75,1010,315,8,14,430,Brk 6/8,N43 41' 0.00\",E10 23' 0.00\",12:4,0,4" + tail;
}

QByteArray Fixture(const char* name) { return ReadFileBytes(QString(REVIEW_FIXTURE_DIR) + "/" + name); }

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

class TFViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString oldCurrent_;
    TDM dm_;
    std::unique_ptr<TFMain> window_;
    QString nextOpen_;               // what the open dialog answers
    QString nextSave_;               // what the save dialog answers
    QStringList saveDialogPresets_;  // the file names the save dialog was opened with
    QStringList openDialogStarts_;   // the folders the open dialog started in
    QList<QMessageBox::StandardButton> answers_;  // to the unsaved-changes question
    int questions_ = 0;

    QString Path(const QString& name) const { return dir_->path() + "/" + name; }
    QString IniPath() const { return Path("Kestrova.INI"); }

    // The main window in the work directory, on the log editor, with the
    // dialogs answered by the test.
    TFView* Start() {
        window_ = std::make_unique<TFMain>(dm_, IniPath().toStdString());
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get())) return nullptr;
        window_->ShowScreen("TFView");
        TFView* view = window_->Registry().Find<TFView>();
        view->chooseOpenFile = [this](const QString& start) {
            openDialogStarts_ << start;
            return nextOpen_;
        };
        view->chooseSaveFile = [this](const QString& current) {
            saveDialogPresets_ << current;
            return nextSave_;
        };
        view->askSaveChanges = [this] {
            ++questions_;
            return answers_.isEmpty() ? QMessageBox::Cancel : answers_.takeFirst();
        };
        return view;
    }

    void OpenThroughDialog(TFView* view, const QString& path) {
        nextOpen_ = path;
        QTest::mouseClick(view->open, Qt::LeftButton);
    }

    QStringList MruPaths(TFView* view) {
        QStringList list;
        for (const std::string& p : view->mru().Paths()) list << QString::fromStdString(p);
        return list;
    }

    QStringList MenuCaptions(TFView* view) {
        emit view->mruMenu->aboutToShow();
        QStringList captions;
        for (QAction* action : view->mruMenu->actions())
            captions << (action->isSeparator() ? QString("-") : action->text() + (action->isEnabled() ? "" : " [off]"));
        return captions;
    }

    QAction* MenuEntry(TFView* view, const QString& path) {
        emit view->mruMenu->aboutToShow();
        for (QAction* action : view->mruMenu->actions())
            if (action->text().endsWith(" " + path)) return action;
        return nullptr;
    }

private slots:
    void initTestCase() {
        // Update Log reads times with the C locale's ":" separator.
        qputenv("LC_ALL", "C");
        oldCurrent_ = QDir::currentPath();
    }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir::setCurrent(dir_->path()));
        nextOpen_.clear();
        nextSave_.clear();
        saveDialogPresets_.clear();
        openDialogStarts_.clear();
        answers_.clear();
        questions_ = 0;
    }

    void cleanup() {
        if (window_) window_->Registry().Find<TFView>()->LMDMemo1->document()->setModified(false);
        window_.reset();
        QDir::setCurrent(oldCurrent_);
    }

    void toolBarAndStatusBar() {
        TFView* view = Start();
        QVERIFY(view);
        const struct {
            QWidget* widget;
            const char* name;
            const char* hint;
        } controls[] = {{view->open, "open", "Open file"},
                        {view->Nuovo, "Nuovo", "New file"},
                        {view->LMDSpeedButton6, "LMDSpeedButton6", "Save"},
                        {view->LMDSpeedButton2, "LMDSpeedButton2", "Send Log"},
                        {view->fc, "fc", "Select Font"},
                        {view->fcs, "fcs", "Select Fontsize"},
                        {view->LMDSpeedButton1, "LMDSpeedButton1", "Update Log"}};
        for (const auto& c : controls) {
            QCOMPARE(c.widget->objectName(), QString(c.name));
            QCOMPARE(c.widget->toolTip(), QString(c.hint));
        }
        for (QToolButton* icon : {view->open, view->Nuovo, view->LMDSpeedButton6, view->LMDSpeedButton2})
            QCOMPARE(icon->accessibleName(), icon->toolTip());
        QCOMPARE(view->LMDMemo1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(view->LMDMemo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(view->LMDMemo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        const int widths[] = {90, 70, 60, 55, 55, 55};
        for (int i = 0; i < 6; ++i) QCOMPARE(view->Panel(i)->width(), widths[i]);
        // The caret panels are live from the start; the lock panels keep their
        // captions where the window system cannot tell (offscreen).
        const QStringList texts = {"1:0", "1:1", "1", "Num:", "Caps:", "Scroll:", "Ins", ""};
        for (int i = 0; i < 8; ++i) QCOMPARE(view->Panel(i)->text(), texts[i]);

        for (QLabel* label : view->findChildren<QLabel*>()) {
            if (label->text() == "Font:") QCOMPARE(label->buddy(), view->fc);
            if (label->text() == "FontSize:") QCOMPARE(label->buddy(), view->fcs);
        }
        QCOMPARE(MenuCaptions(view), QStringList({"(None) [off]"}));
    }

    // Bytes above 127, a no-break space and a form feed come back unchanged.
    void openEditSaveTwiceKeepsTheFirstSaveAsBackup() {
        const QByteArray original = "NAVIGATION LOG\r\nTemp 15\xb0" "C\xa0ok\r\n\x0c" "end\r\n";
        WriteFileBytes(Path("Report.log"), original);
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("Report.log"));
        QCOMPARE(view->windowTitle(), QString("Report.log"));
        QCOMPARE(QString::fromStdString(view->CurrentFileName()), Path("Report.log"));
        QCOMPARE(Bytes(view->EditorBytes()), original);
        QVERIFY(!view->LMDMemo1->document()->isModified());

        view->LMDMemo1->setFocus();
        QTest::keyClicks(view->LMDMemo1, "A");
        QVERIFY(view->LMDMemo1->document()->isModified());
        QTest::mouseClick(view->LMDSpeedButton6, Qt::LeftButton);
        const QByteArray first = "A" + original;
        QCOMPARE(ReadFileBytes(Path("Report.log")), first);
        QCOMPARE(ReadFileBytes(Path("Report.BAK")), original);
        QVERIFY(!view->LMDMemo1->document()->isModified());

        QTest::keyClicks(view->LMDMemo1, "B");
        QTest::mouseClick(view->LMDSpeedButton6, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(Path("Report.log")), "AB" + original);
        QCOMPARE(ReadFileBytes(Path("Report.BAK")), first);
        QVERIFY(saveDialogPresets_.isEmpty());
        QCOMPARE(openDialogStarts_, QStringList({QDir::currentPath()}));
    }

    void lineEndsOfTheFileAreKept_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF, no end after the last line") << QByteArray("one\r\ntwo");
        QTest::newRow("LF only") << QByteArray("one\ntwo\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("empty lines") << QByteArray("\r\n\r\nx\r\n\r\n");
    }

    void lineEndsOfTheFileAreKept() {
        QFETCH(QByteArray, bytes);
        WriteFileBytes(Path("log.txt"), bytes);
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("log.txt"));
        QCOMPARE(Bytes(view->EditorBytes()), bytes);
        QTest::mouseClick(view->LMDSpeedButton6, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(Path("log.txt")), bytes);
    }

    void saveWithoutFileAsksForANameAndBacksUpWithoutExtension() {
        TFView* view = Start();
        QVERIFY(view);
        view->LMDMemo1->setFocus();
        QTest::keyClicks(view->LMDMemo1, "first");
        nextSave_.clear();  // cancelled: nothing written, the text stays
        QTest::mouseClick(view->LMDSpeedButton6, Qt::LeftButton);
        QCOMPARE(saveDialogPresets_, QStringList({""}));
        QVERIFY(view->CurrentFileName().empty());

        nextSave_ = Path("flight");
        QTest::mouseClick(view->LMDSpeedButton6, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(Path("flight")), QByteArray("first"));
        QCOMPARE(view->windowTitle(), QString("flight"));
        QCOMPARE(MruPaths(view), QStringList({Path("flight")}));

        QTest::keyClicks(view->LMDMemo1, " second");
        QTest::mouseClick(view->LMDSpeedButton6, Qt::LeftButton);
        QCOMPARE(saveDialogPresets_.size(), 2);
        QCOMPARE(ReadFileBytes(Path("flight")), QByteArray("first second"));
        QCOMPARE(ReadFileBytes(Path("flight.BAK")), QByteArray("first"));
    }

    void unreadableFileLeavesTheEditorAsItWas() {
        WriteFileBytes(Path("a.log"), "kept\r\n");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("a.log"));
        QVERIFY(QDir().mkdir(Path("folder.log")));  // a directory cannot be read as a file
        ModalSeen seen;
        CloseNextModal(seen);
        OpenThroughDialog(view, Path("folder.log"));
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, "Cannot open file " + Path("folder.log"));
        QCOMPARE(Bytes(view->EditorBytes()), QByteArray("kept\r\n"));
        QCOMPARE(QString::fromStdString(view->CurrentFileName()), Path("a.log"));
        QCOMPARE(MruPaths(view), QStringList({Path("a.log")}));
    }

    void nineOpensKeepTheLastEightMostRecentFirst() {
        QStringList files;
        for (int i = 1; i <= 9; ++i) {
            files << Path(QString("log%1.txt").arg(i));
            WriteFileBytes(files.last(), QByteArray::number(i));
        }
        WriteFileBytes(Path("LOG5.TXT"), "other case");
        TFView* view = Start();
        QVERIFY(view);
        for (const QString& file : files) OpenThroughDialog(view, file);
        QCOMPARE(MruPaths(view), QStringList({files[8], files[7], files[6], files[5], files[4], files[3], files[2],
                                               files[1]}));

        // A listed file chosen again moves up, without a second entry; so
        // does its path in other letter case, spelt as it was opened.
        OpenThroughDialog(view, files[3]);
        QCOMPARE(MruPaths(view), QStringList({files[3], files[8], files[7], files[6], files[5], files[4], files[2],
                                               files[1]}));
        OpenThroughDialog(view, Path("LOG5.TXT"));
        QCOMPARE(MruPaths(view), QStringList({Path("LOG5.TXT"), files[3], files[8], files[7], files[6], files[5],
                                               files[2], files[1]}));
        QCOMPARE(Bytes(view->EditorBytes()), QByteArray("other case"));

        // Captions: number as accelerator, then the path; then the clear entry.
        const QStringList captions = MenuCaptions(view);
        QCOMPARE(captions.size(), 10);
        QCOMPARE(captions[0], "&1 " + Path("LOG5.TXT"));
        QCOMPARE(captions[7], "&8 " + files[1]);
        QCOMPARE(captions[8], QString("-"));
        QCOMPARE(captions[9], QString("Clear List..."));

        // Choosing an entry opens it and moves it up.
        MenuEntry(view, files[6])->trigger();
        QCOMPARE(Bytes(view->EditorBytes()), QByteArray("7"));
        QCOMPARE(MruPaths(view).first(), files[6]);

        // The list reaches the settings file at the end, and the next start reads it.
        const QStringList expected = MruPaths(view);
        window_.reset();
        const QByteArray ini = ReadFileBytes(IniPath());
        QVERIFY2(ini.contains("[FView.MRUList]\r\nH0=" + files[6].toLatin1() + "\r\nH1=" +
                              Path("LOG5.TXT").toLatin1() + "\r\n"),
                 ini.constData());
        QVERIFY(ini.contains("H7=" + files[1].toLatin1() + "\r\n"));
        QVERIFY(!ini.contains("H8="));
        view = Start();
        QVERIFY(view);
        QCOMPARE(MruPaths(view), expected);
    }

    void deletedRecentFileLeavesTheListWhenChosen() {
        WriteFileBytes(Path("a.log"), "a");
        WriteFileBytes(Path("b.log"), "b");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("a.log"));
        OpenThroughDialog(view, Path("b.log"));
        view->LMDMemo1->setFocus();
        QTest::keyClicks(view->LMDMemo1, "edited ");
        QVERIFY(QFile::remove(Path("a.log")));
        MenuEntry(view, Path("a.log"))->trigger();
        QCOMPARE(MruPaths(view), QStringList({Path("b.log")}));
        QCOMPARE(Bytes(view->EditorBytes()), QByteArray("edited b"));
        QCOMPARE(QString::fromStdString(view->CurrentFileName()), Path("b.log"));
        QCOMPARE(questions_, 0);  // nothing was going to replace the text
    }

    void clearListAsksFirst() {
        WriteFileBytes(Path("a.log"), "a");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("a.log"));
        int asked = 0;
        bool answer = false;
        view->confirmClearList = [&] {
            ++asked;
            return answer;
        };
        emit view->mruMenu->aboutToShow();
        view->mruMenu->actions().last()->trigger();
        QCOMPARE(asked, 1);
        QCOMPARE(MruPaths(view), QStringList({Path("a.log")}));
        answer = true;
        emit view->mruMenu->aboutToShow();
        QCOMPARE(view->mruMenu->actions().last()->toolTip(), QString("Clear recent files list"));
        view->mruMenu->actions().last()->trigger();
        QCOMPARE(MruPaths(view), QStringList());
        QCOMPARE(MenuCaptions(view), QStringList({"(None) [off]"}));
    }

    void fontGoesToTheSettingsFileAndComesBack() {
        QStringList families;
        for (const QString& f : QFontDatabase::families())
            if (!QFontDatabase::isPrivateFamily(f)) families << f;
        if (families.size() < 2) QSKIP("fewer than two fonts installed");
        const QString first = families.first();
        const QString second = families.last();
        WriteFileBytes(IniPath(), "[General]\r\nFont=" + first.toLower().toLatin1() + "\r\n");
        TFView* view = Start();
        QVERIFY(view);
        // Matched without regard to case, shown as installed.
        QCOMPARE(view->fc->currentText(), first);
        QCOMPARE(view->LMDMemo1->font().family(), first);

        view->fc->setCurrentIndex(view->fc->findText(second));
        QCOMPARE(view->LMDMemo1->font().family(), second);
        QTRY_COMPARE(view->fc->itemText(0), second);  // recent fonts first
        QCOMPARE(view->fc->currentText(), second);
        const int size = view->fcs->itemText(view->fcs->count() - 1).toInt();
        view->fcs->setCurrentIndex(view->fcs->count() - 1);
        QCOMPARE(view->LMDMemo1->font().pointSize(), size);

        window_->ShowScreen("TFPilot");  // hiding stores the font
        QVERIFY(ReadFileBytes(IniPath()).contains("Font=" + second.toLatin1() + "\r\n"));

        // A name no installed font has: no selection, and it is stored as read.
        WriteFileBytes(IniPath(), "[General]\r\nFont=No Such Font 42\r\n");
        window_->ShowScreen("TFView");
        QCOMPARE(view->fc->currentIndex(), -1);
        window_->ShowScreen("TFPilot");
        QVERIFY(ReadFileBytes(IniPath()).contains("Font=No Such Font 42\r\n"));

        // Closing stores it too.
        window_->ShowScreen("TFView");
        view->fc->setCurrentIndex(view->fc->findText(first));
        QVERIFY(window_->close());
        QVERIFY(ReadFileBytes(IniPath()).contains("Font=" + first.toLatin1() + "\r\n"));
    }

    void refusedFontWriteIsShownWhileTheWindowIsOpen() {
        const QString ini = Path("missing-folder/Kestrova.INI");
        window_ = std::make_unique<TFMain>(dm_, ini.toStdString());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->ShowScreen("TFView");
        ModalSeen seen;
        CloseNextModal(seen);
        window_->ShowScreen("TFPilot");
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, "Unable to write to " + ini);

        // At the end of the run the window goes away without a close request
        // (on X11 its destruction hides it first); no box pops up over it.
        window_->ShowScreen("TFView");
        ModalSeen atEnd;
        CloseNextModal(atEnd);
        window_->hide();
        window_.reset();
        QTest::qWait(100);
        QVERIFY(!atEnd.seen);
    }

    void insertKeySwitchesToOverwrite() {
        TFView* view = Start();
        QVERIFY(view);
        view->LMDMemo1->setFocus();
        QTest::keyClicks(view->LMDMemo1, "abc");
        QTest::keyClick(view->LMDMemo1, Qt::Key_Home);
        QTest::keyClick(view->LMDMemo1, Qt::Key_Insert);
        QCOMPARE(view->Panel(6)->text(), QString("Ovr"));
        QTest::keyClicks(view->LMDMemo1, "XY");
        QCOMPARE(view->LMDMemo1->toPlainText(), QString("XYc"));
        QTest::keyClick(view->LMDMemo1, Qt::Key_Insert);
        QCOMPARE(view->Panel(6)->text(), QString("Ins"));
        QTest::keyClicks(view->LMDMemo1, "Z");
        QCOMPARE(view->LMDMemo1->toPlainText(), QString("XYZc"));
    }

    void caretPanelsCountTheFileBytesFromOne() {
        WriteFileBytes(Path("a.log"), "ab\r\ncde\r\n");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("a.log"));
        QCOMPARE(view->Panel(0)->text(), QString("1:9"));
        QCOMPARE(view->Panel(1)->text(), QString("1:3"));
        QTest::keyClick(view->LMDMemo1, Qt::Key_Down);
        QTest::keyClick(view->LMDMemo1, Qt::Key_Right);
        QCOMPARE(view->Panel(0)->text(), QString("6:9"));  // "ab", CR LF, "c" before the caret
        QCOMPARE(view->Panel(1)->text(), QString("2:3"));
        QCOMPARE(view->Panel(2)->text(), QString("2"));
    }

    void updateLogChangesTheTextAsOneUndoableStep() {
        const QByteArray original = Fixture("normal_flight.log");
        QVERIFY(original.size() > 1000);
        WriteFileBytes(Path("Report.log"), original);
        WriteFileBytes(Path("FS98.log"), NormalFlightRecord());
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("Report.log"));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(view->LMDSpeedButton1, Qt::LeftButton);
        QVERIFY2(!seen.seen, qPrintable(seen.text));
        QCOMPARE(Bytes(view->EditorBytes()), Fixture("normal_flight_updated.log"));
        QCOMPARE(view->windowTitle(), QString("Leggo i dati..."));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(view->LMDMemo1->document()->isModified());
        QCOMPARE(ReadFileBytes(Path("Report.log")), original);  // not saved
        QVERIFY(!QFile::exists(Path("Report.BAK")));

        view->LMDMemo1->setFocus();
        QTest::keyClick(view->LMDMemo1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Bytes(view->EditorBytes()), original);
    }

    // The picture of the README: an updated log, scrolled to its leg table.
    // It stays in the build directory for the CI artifacts.
    void pictureOfAnUpdatedLog() {
        WriteFileBytes(Path("Report.log"), Fixture("normal_flight.log"));
        WriteFileBytes(Path("FS98.log"), NormalFlightRecord());
        WriteFileBytes(IniPath(), "[General]\r\nFont=DejaVu Sans Mono\r\n");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("Report.log"));
        QTest::mouseClick(view->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(Bytes(view->EditorBytes()), Fixture("normal_flight_updated.log"));
        QTextCursor cursor(view->LMDMemo1->document()->findBlockByNumber(18));
        view->LMDMemo1->setTextCursor(cursor);
        view->LMDMemo1->centerCursor();
        QTest::qWait(50);
        const QImage image = window_->grab().toImage();
        QCOMPARE(image.size(), window_->size() * image.devicePixelRatio());
        QVERIFY(image.save(QString(BINARY_DIR) + "/kestrova-tfview-updated.png"));
    }

    void updateLogFailureShowsTheMessageAndKeepsTheText() {
        const QByteArray original = Fixture("normal_flight.log");
        WriteFileBytes(Path("Report.log"), original);
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("Report.log"));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(view->LMDSpeedButton1, Qt::LeftButton);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, "Cannot open file " + Path("FS98.log"));
        QCOMPARE(Bytes(view->EditorBytes()), original);
        QCOMPARE(view->windowTitle(), QString("Report.log"));  // the record was never read
        QVERIFY(!view->LMDMemo1->document()->isModified());
    }

    // Each way of setting the text aside, with each answer to the question.
    void unsavedChangesAreAskedAbout_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("answer");
        for (const char* action : {"open", "new", "recent", "quit"}) {
            QTest::newRow(qPrintable(QString(action) + " save")) << action << int(QMessageBox::Save);
            QTest::newRow(qPrintable(QString(action) + " discard")) << action << int(QMessageBox::Discard);
            QTest::newRow(qPrintable(QString(action) + " cancel")) << action << int(QMessageBox::Cancel);
        }
    }

    void unsavedChangesAreAskedAbout() {
        QFETCH(QString, action);
        QFETCH(int, answer);
        WriteFileBytes(Path("a.log"), "a\r\n");
        WriteFileBytes(Path("b.log"), "b\r\n");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("b.log"));
        OpenThroughDialog(view, Path("a.log"));
        QCOMPARE(questions_, 0);
        view->LMDMemo1->setFocus();
        QTest::keyClicks(view->LMDMemo1, "x");
        answers_ << QMessageBox::StandardButton(answer);

        bool closed = false;
        if (action == "open")
            OpenThroughDialog(view, Path("b.log"));
        else if (action == "new")
            QTest::mouseClick(view->Nuovo, Qt::LeftButton);
        else if (action == "recent")
            MenuEntry(view, Path("b.log"))->trigger();
        else
            closed = window_->close();
        QCOMPARE(questions_, 1);

        const bool proceeds = answer != QMessageBox::Cancel;
        QCOMPARE(ReadFileBytes(Path("a.log")), QByteArray(answer == QMessageBox::Save ? "xa\r\n" : "a\r\n"));
        if (action == "quit") {
            QCOMPARE(closed, proceeds);
            return;
        }
        const QByteArray expected = !proceeds ? "xa\r\n" : action == "new" ? "" : "b\r\n";
        QCOMPARE(Bytes(view->EditorBytes()), expected);
        QCOMPARE(view->LMDMemo1->document()->isModified(), !proceeds);
        // New keeps the current file, so a later Save writes there.
        QCOMPARE(QString::fromStdString(view->CurrentFileName()),
                 proceeds && action != "new" ? Path("b.log") : Path("a.log"));
    }

    void sendLogHandsOverTheWholeText() {
        WriteFileBytes(Path("a.log"), "line 1\nline \xe8 2\n");
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("a.log"));
        QByteArrayList bodies;
        view->SetMailHandOff(std::make_unique<RecordingMail>(bodies, true));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(view->LMDSpeedButton2, Qt::LeftButton);
        QVERIFY(!seen.seen);
        // The body has CR LF line ends whatever the file uses; the file is untouched.
        QCOMPARE(bodies, QByteArrayList({"line 1\r\nline \xe8 2\r\n"}));
        QCOMPARE(ReadFileBytes(Path("a.log")), QByteArray("line 1\nline \xe8 2\n"));

        // An empty editor sends an empty body.
        QTest::mouseClick(view->Nuovo, Qt::LeftButton);
        QTest::mouseClick(view->LMDSpeedButton2, Qt::LeftButton);
        QCOMPARE(bodies.size(), 2);
        QCOMPARE(bodies[1], QByteArray());
    }

    void sendLogFailureShowsErrorSendingMail() {
        TFView* view = Start();
        QVERIFY(view);
        QByteArrayList bodies;
        view->SetMailHandOff(std::make_unique<RecordingMail>(bodies, false));
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(view->LMDSpeedButton2, Qt::LeftButton);
        QVERIFY(seen.seen);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, QString("Error sending mail"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(bodies.size(), 1);
    }

    // The real hand-off: xdg-email (or xdg-open where it is missing) runs a
    // stand-in mail program that writes down its arguments.
    void sendLogThroughXdgEmail_data() {
        QTest::addColumn<QString>("route");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("arrives");
        QTest::newRow("xdg-email, 400 lines") << "xdg-email" << 400 << true;
        QTest::newRow("xdg-open without xdg-email") << "xdg-open" << 400 << true;
        QTest::newRow("no mail program at all") << "none" << 3 << false;
        QTest::newRow("too long for one argument") << "xdg-email" << 3000 << false;
    }

    void sendLogThroughXdgEmail() {
        QFETCH(QString, route);
        QFETCH(int, lines);
        QFETCH(bool, arrives);
        if (route == "xdg-email" && !QFile::exists("/usr/bin/xdg-email"))
            QSKIP("xdg-email is not installed (scripts/setup.sh installs xdg-utils)");
        const QString bin = Path("bin");
        const QString record = Path("mailer-args");
        QVERIFY(QDir().mkdir(bin));
        const QByteArray stub = "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + record.toLatin1() + "'\n";
        const QString stubName = route == "xdg-open" ? "xdg-open" : "fake-mailer";
        WriteFileBytes(bin + "/" + stubName, stub);
        QVERIFY(QFile::setPermissions(bin + "/" + stubName, QFile::ReadOwner | QFile::ExeOwner));

        QByteArray text;
        for (int i = 1; i <= lines; ++i)
            text += "|CHK" + QByteArray::number(i) + "  |  9:05| \xb0 & = ? % + C:\\temp\\n |  end\r\n";
        WriteFileBytes(Path("Report.log"), text);
        TFView* view = Start();
        QVERIFY(view);
        OpenThroughDialog(view, Path("Report.log"));

        const QByteArray oldPath = qgetenv("PATH");
        const QByteArray path = route == "xdg-email" ? bin.toLatin1() + ":/usr/bin:/bin" : bin.toLatin1();
        qputenv("PATH", path);
        qputenv("MAILER", "fake-mailer");
        ModalSeen seen;
        CloseNextModal(seen);
        QTest::mouseClick(view->LMDSpeedButton2, Qt::LeftButton);
        qputenv("PATH", oldPath);
        qunsetenv("MAILER");

        QCOMPARE(seen.seen, !arrives);
        if (!arrives) {
            QCOMPARE(seen.text, QString("Error sending mail"));
            QVERIFY(!QFile::exists(record));
            return;
        }
        const QByteArray args = ReadFileBytes(record);
        QVERIFY2(args.startsWith("1\nmailto:?body="), args.left(80).constData());
        const QByteArray url = args.mid(2).chopped(1);
        const QByteArray body = QByteArray::fromPercentEncoding(url.mid(QByteArray("mailto:?body=").size()));
        // The mail program reads the body as UTF-8; every byte, line end and backslash arrived.
        QCOMPARE(QString::fromUtf8(body), QString::fromLatin1(text));
    }
};

QTEST_MAIN(TFViewTest)
#include "tfview_test.moc"
