#include "ui/tfconvert.h"

#include <exception>
#include <vector>

#include <QButtonGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "conversion/conversions.h"
#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "ui/icons.h"
#include "ui/latin1.h"
#include "ui/message_box.h"

namespace kestrova::ui {

namespace {

constexpr const char* kBrowseFilter = "All files (*.*)|*.*|FlightPlanner(*.fpf)|*.fpf|WinPlanner(*.*)|*.flt";
constexpr const char* kSaveFilter = "ACS-GPS|*.prg|GPS|*.txt|FSNavigator|*.fsn|FS2000|*.pln";

// "Name|mask|Name|mask" as Qt name filters. Qt takes the mask from the last
// parentheses, so a name whose own parentheses differ from its mask
// ("WinPlanner(*.*)" listing *.flt) gets the mask added.
QStringList NameFilters(const QString& pairs) {
    const QStringList parts = pairs.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString& mask = parts[i + 1];
        filters << (name.endsWith("(" + mask + ")") ? name : name + " (" + mask + ")");
    }
    return filters;
}

// Paths travel below the widgets in the system's own encoding, not Latin-1.
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setObjectName(request.objectName);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDirectory(request.directory);
    dialog.setNameFilters(request.filters);
    dialog.selectNameFilter(request.selectedFilter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

QGroupBox* RadioGroup(const QString& name, const QString& caption, const QStringList& items, QButtonGroup*& group,
                      QWidget* parent) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        group->addButton(item, i);
        layout->addWidget(item);
    }
    group->button(0)->setChecked(true);
    return box;
}

}  // namespace

TFConvert::TFConvert(const ScreenServices& services, QWidget* area)
    : Screen(QStringLiteral("Conversion Block"), area), workingDirectory_(services.workingDirectory) {
    openDialog = [this](const FileDialogRequest& r) { return RunFileDialog(this, r, QFileDialog::AcceptOpen); };
    saveDialog = [this](const FileDialogRequest& r) { return RunFileDialog(this, r, QFileDialog::AcceptSave); };

    LMDSimpleLabel1 = new QLabel(QStringLiteral("Load Plan to convert"), this);
    LMDSimpleLabel1->setObjectName(QStringLiteral("LMDSimpleLabel1"));
    FEdit = new QLineEdit(this);
    FEdit->setObjectName(QStringLiteral("FEdit"));
    LMDSimpleLabel1->setBuddy(FEdit);
    FEditBrowse = new QToolButton(this);
    FEditBrowse->setObjectName(QStringLiteral("FEditBrowse"));
    FEditBrowse->setText(QStringLiteral("..."));
    FEditBrowse->setToolTip(QStringLiteral("Browse"));
    FEditBrowse->setAccessibleName(QStringLiteral("Browse"));
    LMDSpeedButton2 = IconButton(this, QStringLiteral("LMDSpeedButton2"), QStringLiteral("View File"),
                                 QStyle::SP_FileDialogContentsView, QSize(24, 24));

    FromRadio = RadioGroup(QStringLiteral("FromRadio"), QStringLiteral("From"),
                           {QStringLiteral("FlightPlanner"), QStringLiteral("Winplanner")}, fromItems_, this);
    ToRadio = RadioGroup(QStringLiteral("ToRadio"), QStringLiteral("To"),
                         {QStringLiteral("ACS-GPS"), QStringLiteral("GPS"), QStringLiteral("FSNAVIGATOR"),
                          QStringLiteral("FS2000-PLAN")},
                         toItems_, this);

    LMDSpeedButton1 = new QToolButton(this);
    LMDSpeedButton1->setObjectName(QStringLiteral("LMDSpeedButton1"));
    LMDSpeedButton1->setText(QStringLiteral("Convert"));
    LMDSpeedButton1->setIcon(DrawnIcon(IconKind::ConvertFlight));
    LMDSpeedButton1->setIconSize(QSize(32, 32));
    LMDSpeedButton1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    LMDSpeedButton1->setMinimumWidth(90);

    LMDMemo1 = new QPlainTextEdit(this);
    LMDMemo1->setObjectName(QStringLiteral("LMDMemo1"));
    LMDMemo1->setAccessibleName(QStringLiteral("Plan and route view"));
    LMDMemo1->setReadOnly(true);
    LMDMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    LMDMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont memoFont(QStringLiteral("Courier New"));
    memoFont.setStyleHint(QFont::TypeWriter);
    memoFont.setFixedPitch(true);
    memoFont.setPixelSize(16);
    memoFont.setItalic(true);
    LMDMemo1->setFont(memoFont);
    QPalette memoColours = LMDMemo1->palette();
    memoColours.setColor(QPalette::Text, Qt::black);
    LMDMemo1->setPalette(memoColours);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FEdit, 1);
    fileRow->addWidget(FEditBrowse);
    fileRow->addWidget(LMDSpeedButton2);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->addWidget(LMDSimpleLabel1, 0, 0, 1, 4);
    grid->addLayout(fileRow, 1, 0, 1, 4);
    grid->addWidget(FromRadio, 2, 0, Qt::AlignTop);
    grid->addWidget(ToRadio, 2, 1, Qt::AlignTop);
    grid->addWidget(LMDSpeedButton1, 2, 2, Qt::AlignCenter);
    grid->setColumnStretch(3, 1);
    grid->addWidget(LMDMemo1, 3, 0, 1, 4);
    grid->setRowStretch(3, 1);

    connect(FEditBrowse, &QToolButton::clicked, this, &TFConvert::FEditBrowseClick);
    connect(LMDSpeedButton2, &QToolButton::clicked, this, &TFConvert::LMDSpeedButton2Click);
    connect(LMDSpeedButton1, &QToolButton::clicked, this, &TFConvert::LMDSpeedButton1Click);
    connect(fromItems_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) FromRadioChange();
    });
}

int TFConvert::FromItemIndex() const { return fromItems_->checkedId(); }
int TFConvert::ToItemIndex() const { return toItems_->checkedId(); }

void TFConvert::FormShow() { browseDirectory_ = PathText(workingDirectory_); }

void TFConvert::FromRadioChange() { browseFilterIndex_ = FromItemIndex() + 2; }

void TFConvert::FEditBrowseClick() {
    // Opening the dialog on a field that names a file makes that file the
    // dialog's name, even when the pilot then cancels.
    const QString typed = FEdit->text();
    if (!typed.isEmpty() && QFileInfo(typed).isFile()) browseFileName_ = typed;
    const QStringList filters = NameFilters(QString::fromLatin1(kBrowseFilter));
    const FileDialogRequest request{QStringLiteral("FEdit"), browseDirectory_, filters,
                                    filters.value(browseFilterIndex_ - 1), QString(), browseFileName_};
    const QString picked = openDialog(request);
    if (picked.isEmpty()) return;
    browseFileName_ = picked;
    FEdit->setText(picked);
}

void TFConvert::LMDSpeedButton2Click() {
    if (FEdit->text().isEmpty()) return;
    try {
        LoadIntoMemo(FEdit->text());
    } catch (const std::exception& e) {
        ShowErrorMessage(this, e.what());
    }
}

void TFConvert::LMDSpeedButton1Click() {
    if (browseFileName_.isEmpty()) return;
    const auto source = FromItemIndex() == 1 ? conversion::PlanSource::WinPlanner
                                             : conversion::PlanSource::FlightPlanner;
    const auto kind = static_cast<int16_t>(ToItemIndex() + 1);
    const conversion::Conversion convert = conversion::FindConversion(source, kind);
    if (convert == nullptr) {
        ShowWarningMessage(this, msg::kNotImplemented);
        return;
    }
    try {
        // The source is the field's text, which may differ from the dialog's name.
        const conversion::ConversionReport report =
            convert(PathBytes(FEdit->text()), platform::SystemTempDirectory());
        // The reduced file is still a result: the run goes on to view and save.
        if (report.badFileFormat) ShowErrorMessage(this, msg::kBadFileFormat);
        const std::string output = conversion::LastOutputFile();
        const int outputKind = conversion::LastOutputKind();
        // The FSNavigator file is binary: the view keeps what it showed.
        if (outputKind != conversion::kKindFsNavigator) LoadIntoMemo(PathText(output));
        OfferToSave(output, outputKind);
    } catch (const std::exception& e) {
        ShowErrorMessage(this, e.what());
    }
}

void TFConvert::LoadIntoMemo(const QString& path) {
    const std::vector<std::string> lines = platform::LoadLines(PathBytes(path));
    QStringList text;
    for (const std::string& line : lines) text << ToQString(line);
    LMDMemo1->setPlainText(text.join('\n'));
}

void TFConvert::OfferToSave(const std::string& output, int kind) {
    const QStringList filters = NameFilters(QString::fromLatin1(kSaveFilter));
    const FileDialogRequest request{QStringLiteral("SaveDialog1"), PathText(workingDirectory_), filters,
                                    filters.value(kind - 1),
                                    QString::fromStdString(conversion::KindExtension(static_cast<int16_t>(kind))),
                                    QString()};
    const QString target = saveDialog(request);
    if (target.isEmpty()) return;
    // A pilot who saves into the temporary folder itself keeps the file.
    const QString same = QFileInfo(PathText(output)).canonicalFilePath();
    if (!same.isEmpty() && QFileInfo(target).canonicalFilePath() == same) return;
    // The copy replaces the target whole or not at all; when it fails the
    // converted file stays, so the route is not lost with the message.
    platform::CopyFileReplacing(output, PathBytes(target));
    platform::MoveToRecycleBin(output);
}

}  // namespace kestrova::ui
