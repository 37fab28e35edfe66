#include "ui/tfview.h"

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "platform/mail_handoff.h"
#include "platform/platform.h"
#include "review/log_save.h"
#include "review/log_update.h"
#include "ui/latin1.h"
#include "ui/lock_keys.h"
#include "ui/message_box.h"

namespace kestrova::ui {

namespace {

constexpr const char* kGeneral = "General";
constexpr const char* kFontKey = "Font";
constexpr const char* kDefaultFont = "Courier";
constexpr const char* kMruSection = "FView.MRUList";
constexpr const char* kMruPrefix = "H";
constexpr int kDefaultFontSize = 10;
constexpr int kRecentFontCount = 5;
const QString kOpenFilter = QStringLiteral(
    "Text Files (*.txt);;ACS-GPS (*.prg);;Report log (*.log);;FS2000 plan (*.pln);;All Files (*.*)");

// Each font name drawn in its own face, with the sample "Abc" beside it.
class FontNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString family = index.data(Qt::DisplayRole).toString();
        if (family.isEmpty()) {  // the separator after the recent fonts
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        QStyle* style = plain.widget != nullptr ? plain.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);

        QFont face(family);
        face.setPointSizeF(option.font.pointSizeF());
        painter->save();
        painter->setFont(face);
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        const QRect area = option.rect.adjusted(4, 0, -4, 0);
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, family);
        painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Abc"));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString family = index.data(Qt::DisplayRole).toString();
        if (family.isEmpty()) return size;
        QFont face(family);
        face.setPointSizeF(option.font.pointSizeF());
        const QFontMetrics metrics(face);
        return QSize(std::max(size.width(), metrics.horizontalAdvance(family + QStringLiteral("    Abc")) + 8),
                     std::max(size.height(), metrics.height() + 4));
    }
};

QToolButton* ToolButton(QWidget* parent, const QString& name, QStyle::StandardPixmap icon, const QString& hint) {
    QToolButton* button = IconButton(parent, name, hint, icon, QSize(22, 22));
    button->setAutoRaise(true);
    return button;
}

QString NameWithoutDirectory(const std::string& path) { return QFileInfo(ToQString(path)).fileName(); }

}  // namespace

TFView::TFView(const ScreenServices& services, QWidget* area)
    : Screen(QString(), area),
      ini_(services.settings.Path()),
      workingDirectory_(services.workingDirectory),
      fontName_(QString::fromLatin1(kDefaultFont)),
      mru_(ini_.ReadSettingList(kMruSection, kMruPrefix, review::RecentFiles::kMaximum)),
      mail_(platform::SystemMailHandOff()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    BuildToolBar(bar);
    layout->addLayout(bar);

    LMDMemo1 = new QPlainTextEdit(this);
    LMDMemo1->setObjectName(QStringLiteral("LMDMemo1"));
    LMDMemo1->setAccessibleName(QStringLiteral("Log text"));
    LMDMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    LMDMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LMDMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LMDMemo1->installEventFilter(this);
    layout->addWidget(LMDMemo1, 1);

    BuildStatusBar();
    layout->addWidget(LMDStatusBar1);

    chooseOpenFile = [this](const QString& startDirectory) {
        QFileDialog dialog(this, QString(), startDirectory, kOpenFilter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.selectFile(QStringLiteral("*.txt"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    chooseSaveFile = [this](const QString& currentFile) {
        return QFileDialog::getSaveFileName(this, QString(), currentFile);
    };
    askSaveChanges = [this] {
        return QMessageBox::question(this, ToQString(msg::kCaptionConfirm), ToQString(msg::kSaveChanges),
                                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                     QMessageBox::Save);
    };
    confirmClearList = [this] {
        return QMessageBox::question(this, ToQString(msg::kCaptionConfirm), ToQString(msg::kClearRecentFiles),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };

    connect(LMDMemo1, &QPlainTextEdit::cursorPositionChanged, this, &TFView::LMDMemo1CursorPosChanged);
    connect(LMDMemo1, &QPlainTextEdit::textChanged, this, &TFView::LMDMemo1CursorPosChanged);
    ApplyFont();
    LMDMemo1CursorPosChanged();
}

TFView::~TFView() {
    // The list reaches the settings file at the end of the run only.
    try {
        ini_.WriteSettingList(kMruSection, kMruPrefix, review::RecentFiles::kMaximum, mru_.Paths());
    } catch (const Error& e) {
        qWarning("kestrova: %s", e.what());
    }
}

void TFView::BuildToolBar(QHBoxLayout* bar) {
    open = ToolButton(this, QStringLiteral("open"), QStyle::SP_DialogOpenButton, QStringLiteral("Open file"));
    mruMenu = new QMenu(open);
    mruMenu->setObjectName(QStringLiteral("mru"));
    mruMenu->setToolTipsVisible(true);
    open->setMenu(mruMenu);
    open->setPopupMode(QToolButton::MenuButtonPopup);
    connect(mruMenu, &QMenu::aboutToShow, this, &TFView::FillMruMenu);
    FillMruMenu();
    Nuovo = ToolButton(this, QStringLiteral("Nuovo"), QStyle::SP_FileIcon, QStringLiteral("New file"));
    LMDSpeedButton6 =
        ToolButton(this, QStringLiteral("LMDSpeedButton6"), QStyle::SP_DialogSaveButton, QStringLiteral("Save"));
    LMDSpeedButton2 =
        ToolButton(this, QStringLiteral("LMDSpeedButton2"), QStyle::SP_ArrowForward, QStringLiteral("Send Log"));

    auto* fontLabel = new QLabel(QStringLiteral("Font:"), this);
    fc = new QComboBox(this);
    fc->setObjectName(QStringLiteral("fc"));
    fc->setToolTip(QStringLiteral("Select Font"));
    fc->setItemDelegate(new FontNameDelegate(fc));
    fc->setMinimumContentsLength(14);
    fc->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontLabel->setBuddy(fc);
    auto* sizeLabel = new QLabel(QStringLiteral("FontSize:"), this);
    fcs = new QComboBox(this);
    fcs->setObjectName(QStringLiteral("fcs"));
    fcs->setToolTip(QStringLiteral("Select Fontsize"));
    sizeLabel->setBuddy(fcs);

    LMDSpeedButton1 =
        ToolButton(this, QStringLiteral("LMDSpeedButton1"), QStyle::SP_BrowserReload, QStringLiteral("Update Log"));
    LMDSpeedButton1->setText(QStringLiteral("Update Log"));
    LMDSpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    for (QWidget* w : std::initializer_list<QWidget*>{open, Nuovo, LMDSpeedButton6, LMDSpeedButton2}) bar->addWidget(w);
    bar->addSpacing(10);
    bar->addWidget(fontLabel);
    bar->addWidget(fc);
    bar->addSpacing(6);
    bar->addWidget(sizeLabel);
    bar->addWidget(fcs);
    bar->addSpacing(10);
    bar->addWidget(LMDSpeedButton1);
    bar->addStretch(1);

    FillFonts(fontName_);
    FillSizes();
    connect(open, &QToolButton::clicked, this, &TFView::openClick);
    connect(Nuovo, &QToolButton::clicked, this, &TFView::NuovoClick);
    connect(LMDSpeedButton6, &QToolButton::clicked, this, &TFView::Save1Click);
    connect(LMDSpeedButton2, &QToolButton::clicked, this, &TFView::LMDSpeedButton2Click);
    connect(LMDSpeedButton1, &QToolButton::clicked, this, &TFView::LMDSpeedButton1Click);
    connect(fc, &QComboBox::currentIndexChanged, this, &TFView::fcSelect);
    connect(fcs, &QComboBox::currentIndexChanged, this, &TFView::fcsChange);
}

void TFView::BuildStatusBar() {
    LMDStatusBar1 = new QStatusBar(this);
    LMDStatusBar1->setObjectName(QStringLiteral("LMDStatusBar1"));
    LMDStatusBar1->setSizeGripEnabled(false);
    const struct {
        int width;
        const char* text;
    } layout[8] = {{90, "Char:Length"}, {70, "Row:Rows"}, {60, "Column"}, {55, "Num:"},
                   {55, "Caps:"},       {55, "Scroll:"},  {0, "Ins"},     {0, ""}};
    for (int i = 0; i < 8; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(layout[i].text), LMDStatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (layout[i].width > 0) panel->setFixedWidth(layout[i].width);
        LMDStatusBar1->addWidget(panel, i == 7 ? 1 : 0);
        panels_[i] = panel;
    }
}

void TFView::FillFonts(const QString& current) {
    const QSignalBlocker quiet(fc);
    fc->clear();
    for (const QString& family : recentFonts_) fc->addItem(family);
    if (!recentFonts_.isEmpty()) fc->insertSeparator(fc->count());
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family)) fc->addItem(family);
    fc->setCurrentIndex(current.isEmpty() ? -1 : fc->findText(current, Qt::MatchFixedString));
}

void TFView::FillSizes() {
    const int previous = fcs->currentText().isEmpty() ? kDefaultFontSize : fcs->currentText().toInt();
    QList<int> sizes = QFontDatabase::pointSizes(fontName_);
    if (sizes.isEmpty()) sizes = QFontDatabase::standardSizes();
    const QSignalBlocker quiet(fcs);
    fcs->clear();
    int best = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        fcs->addItem(QString::number(sizes[i]));
        if (std::abs(sizes[i] - previous) < std::abs(sizes[best] - previous)) best = i;
    }
    fcs->setCurrentIndex(best);
}

void TFView::ApplyFont() {
    QFont font(fontName_);
    // A name that no installed font has still gets a fixed-pitch face.
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(fcs->currentText().isEmpty() ? kDefaultFontSize : fcs->currentText().toInt());
    LMDMemo1->setFont(font);
}

void TFView::fcSelect() {
    const QString family = fc->currentText();
    if (family.isEmpty()) return;
    fontName_ = family;
    // Recently chosen fonts head the list.
    recentFonts_.removeAll(family);
    recentFonts_.prepend(family);
    while (recentFonts_.size() > kRecentFontCount) recentFonts_.removeLast();
    FillSizes();
    ApplyFont();
    // The list is rebuilt once the chooser has finished with the choice.
    QMetaObject::invokeMethod(this, [this] { FillFonts(fontName_); }, Qt::QueuedConnection);
}

void TFView::fcsChange() { ApplyFont(); }

void TFView::FormShow() {
    const QString wanted = ToQString(ini_.ReadSetting(kGeneral, kFontKey, kDefaultFont));
    const int index = fc->findText(wanted, Qt::MatchFixedString);
    if (index < 0) {
        // No installed font of that name: no selection; the editor asks for
        // the name anyway and the font system substitutes a fixed-pitch face.
        const QSignalBlocker quiet(fc);
        fc->setCurrentIndex(-1);
        fontName_ = wanted;
        ApplyFont();
    } else if (fc->itemText(index) != fc->currentText()) {
        fc->setCurrentIndex(index);
    }
    ShowLockKeys();
}

void TFView::StoreFont() {
    try {
        ini_.WriteSetting(kGeneral, kFontKey, ToBytes(fc->currentIndex() >= 0 ? fc->currentText() : fontName_));
    } catch (const Error& e) {
        // A main window on its way out (the end of the run) shows no box.
        if (window()->isVisible())
            ShowErrorMessage(this, e.what());
        else
            qWarning("kestrova: %s", e.what());
    }
}

void TFView::FormHide() { StoreFont(); }

bool TFView::FormCloseQuery() {
    StoreFont();
    return MaySetTextAside();
}

bool TFView::MaySetTextAside() {
    if (!LMDMemo1->document()->isModified()) return true;
    switch (askSaveChanges()) {
        case QMessageBox::Save:
            return Save1Click();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

std::string TFView::EditorBytes() const {
    QString text = LMDMemo1->document()->toRawText();
    const QString lineEnd = ToQString(lineEnd_);
    text.replace(QChar::ParagraphSeparator, lineEnd);
    text.replace(QChar::LineSeparator, lineEnd);
    return ToBytes(text);
}

void TFView::SetEditorBytes(const std::string& bytes) {
    // The line end the file uses is written back by Save; CR LF unless the
    // file has none of them.
    if (bytes.find("\r\n") != std::string::npos)
        lineEnd_ = "\r\n";
    else if (bytes.find('\n') != std::string::npos)
        lineEnd_ = "\n";
    else if (bytes.find('\r') != std::string::npos)
        lineEnd_ = "\r";
    else
        lineEnd_ = "\r\n";
    LMDMemo1->setPlainText(ToQString(bytes));
    LMDMemo1->document()->setModified(false);
}

bool TFView::OpenF(const QString& path) {
    const std::string file = ToBytes(path);
    std::string bytes;
    if (!platform::ReadWholeFile(file, bytes)) {
        ShowErrorMessage(this, msg::Format(msg::kCannotOpenFile, file));
        return false;
    }
    fileName_ = file;
    ApplyFont();
    SetEditorBytes(bytes);
    setWindowTitle(NameWithoutDirectory(fileName_));
    return true;
}

void TFView::openClick() {
    if (!MaySetTextAside()) return;
    const QString path = chooseOpenFile(ToQString(workingDirectory_));
    if (path.isEmpty()) return;
    const QString full = QFileInfo(path).absoluteFilePath();
    if (OpenF(full)) mru_.Add(ToBytes(full));
}

void TFView::mruClick(const QString& path) {
    const std::string file = ToBytes(path);
    if (!platform::FileExists(file)) {
        mru_.Remove(file);
        return;
    }
    if (!MaySetTextAside()) return;
    if (OpenF(path)) mru_.Add(file);
}

void TFView::ClearListClick() {
    if (confirmClearList()) mru_.Clear();
}

void TFView::FillMruMenu() {
    mruMenu->clear();
    if (mru_.Empty()) {
        mruMenu->addAction(QStringLiteral("(None)"))->setEnabled(false);
        return;
    }
    int number = 1;
    for (const std::string& entry : mru_.Paths()) {
        const QString path = ToQString(entry);
        QString caption = path;
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = mruMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(caption));
        connect(action, &QAction::triggered, this, [this, path] { mruClick(path); });
    }
    mruMenu->addSeparator();
    QAction* clear = mruMenu->addAction(QStringLiteral("Clear List..."));
    clear->setToolTip(QStringLiteral("Clear recent files list"));
    clear->setStatusTip(clear->toolTip());
    connect(clear, &QAction::triggered, this, &TFView::ClearListClick);
}

void TFView::NuovoClick() {
    if (!MaySetTextAside()) return;
    ApplyFont();
    SetEditorBytes(std::string());
}

bool TFView::Save1Click() {
    if (fileName_.empty()) return SaveAs1Click();
    try {
        review::SaveWithBackup(fileName_, EditorBytes());
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
        return false;
    }
    LMDMemo1->document()->setModified(false);
    return true;
}

bool TFView::SaveAs1Click() {
    const QString path = chooseSaveFile(ToQString(fileName_));
    if (path.isEmpty()) return false;
    fileName_ = ToBytes(QFileInfo(path).absoluteFilePath());
    setWindowTitle(NameWithoutDirectory(fileName_));
    if (!Save1Click()) return false;
    mru_.Add(fileName_);
    return true;
}

void TFView::LMDSpeedButton1Click() {
    const std::vector<std::string> lines = SplitLines(EditorBytes());
    review::LogUpdateHooks hooks;
    hooks.readingStarted = [this] {
        setWindowTitle(QString::fromLatin1(review::kUpdateTitle));
        QApplication::setOverrideCursor(Qt::BusyCursor);
    };
    hooks.readingFinished = [] { QApplication::restoreOverrideCursor(); };
    const review::LogUpdateResult result =
        review::UpdateLog(lines, workingDirectory_, platform::CurrentLocaleFormats(), hooks);
    if (result.changed) {
        QString text;
        for (const std::string& line : result.lines) text += ToQString(line) + QLatin1Char('\n');
        // One edit block: a single undo brings the text before the update back.
        QTextCursor cursor(LMDMemo1->document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(text);
        cursor.endEditBlock();
    }
    for (const std::string& message : result.messages) ShowErrorMessage(this, message);
}

void TFView::SetMailHandOff(std::unique_ptr<platform::MailHandOff> mail) { mail_ = std::move(mail); }

void TFView::LMDSpeedButton2Click() {
    // The body always has CR LF line ends, whatever the file uses.
    QString text = LMDMemo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    bool sent = false;
    {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        sent = mail_ != nullptr && mail_->Send(ToBytes(text));
        QApplication::restoreOverrideCursor();
    }
    if (!sent) ShowErrorMessage(this, msg::kErrorSendingMail);
}

void TFView::LMDMemo1CursorPosChanged() {
    // Counted in the file's bytes: a line end is as long as the file's own.
    const QTextDocument* document = LMDMemo1->document();
    const QTextCursor cursor = LMDMemo1->textCursor();
    const qsizetype extra = static_cast<qsizetype>(lineEnd_.size()) - 1;
    const int row = cursor.blockNumber();
    const qsizetype position = cursor.position() + row * extra + 1;
    const qsizetype length = document->characterCount() - 1 + (document->blockCount() - 1) * extra;
    panels_[0]->setText(QStringLiteral("%1:%2").arg(position).arg(length));
    panels_[1]->setText(QStringLiteral("%1:%2").arg(row + 1).arg(document->blockCount()));
    panels_[2]->setText(QString::number(cursor.positionInBlock() + 1));
}

void TFView::LMDApplicationCtrl1EditModeChange() {
    panels_[6]->setText(LMDMemo1->overwriteMode() ? QStringLiteral("Ovr") : QStringLiteral("Ins"));
}

void TFView::ShowLockKeys() {
    const LockKeys keys = CurrentLockKeys();
    if (!keys.known) return;
    // The caption stays (the panels are narrow); a lock that is off is dimmed.
    const auto show = [](QLabel* panel, const char* name, bool on) {
        const QString state = QStringLiteral("%1 Lock %2").arg(QLatin1String(name), on ? "on" : "off");
        panel->setEnabled(on);
        panel->setToolTip(state);
        panel->setAccessibleName(state);
    };
    show(panels_[3], "Num", keys.num);
    show(panels_[4], "Caps", keys.caps);
    show(panels_[5], "Scroll", keys.scroll);
}

bool TFView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LMDMemo1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Insert && key->modifiers() == Qt::NoModifier) {
            LMDMemo1->setOverwriteMode(!LMDMemo1->overwriteMode());
            LMDApplicationCtrl1EditModeChange();
            return true;
        }
    }
    if (watched == LMDMemo1 && event->type() == QEvent::KeyRelease) ShowLockKeys();
    return Screen::eventFilter(watched, event);
}

}  // namespace kestrova::ui
