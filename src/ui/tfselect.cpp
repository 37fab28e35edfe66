#include "ui/tfselect.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/app_context.h"
#include "core/error.h"
#include "core/messages.h"
#include "flights/flights_table.h"
#include "navlog/flightplanner_navlog.h"
#include "navlog/layout.h"
#include "navlog/winplanner_navlog.h"
#include "platform/platform.h"
#include "ui/latin1.h"
#include "ui/message_box.h"
#include "ui/tdm.h"

namespace kestrova::ui {

namespace {

QString JoinForDisplay(const std::vector<std::string>& lines) {
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) shown << ToQString(line);
    return shown.join(QLatin1Char('\n'));
}

std::vector<std::string> SplitFromDisplay(const QString& text) {
    std::vector<std::string> lines;
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(ToBytes(line));
    return lines;
}

QString RealBrowse(QWidget* parent, const QString& dir, const QStringList& filters, int current) {
    QFileDialog dialog(parent, QString(), dir);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(current));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

std::optional<QString> RealInputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& preset) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, preset, &ok);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace

QStringList TFSelect::DialogFilters() {
    return {QStringLiteral("Text Files (*.txt)"), QStringLiteral("Planner (*.pln)")};
}

TFSelect::TFSelect(const ScreenServices& services, QWidget* area)
    : Screen(QStringLiteral("Select Plan"), area), services_(services), browse_(RealBrowse),
      inputBox_(RealInputBox) {
    LMDRADIO = new QGroupBox(QStringLiteral("Planner"), this);
    LMDRADIO->setObjectName(QStringLiteral("LMDRADIO"));
    LMDRADIOItems = new QButtonGroup(LMDRADIO);
    auto* items = new QHBoxLayout(LMDRADIO);  // two columns
    const QString names[] = {QStringLiteral("FlightPlanner"), QStringLiteral("WinPlannner")};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(names[i], LMDRADIO);
        // Some font engines draw a little wider than they measure.
        item->setMinimumWidth(item->sizeHint().width() + item->fontMetrics().averageCharWidth());
        LMDRADIOItems->addButton(item, i);
        items->addWidget(item);
    }
    LMDRADIOItems->button(kFlightPlanner)->setChecked(true);
    // The planner names stay whole; the file field gives way instead.
    LMDRADIO->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    CheckDb = new QCheckBox(QStringLiteral("Save To DbFlights"), this);
    CheckDb->setObjectName(QStringLiteral("CheckDb"));

    FileOpen = new QLineEdit(QStringLiteral("FileOpen"), this);
    FileOpen->setObjectName(QStringLiteral("FileOpen"));
    FileOpen->setAccessibleName(QStringLiteral("Navlog file"));
    FileOpen->setMinimumWidth(120);
    FileOpenBrowse = IconButton(this, QStringLiteral("FileOpenBrowse"), QStringLiteral("Browse"),
                                QStyle::SP_DirOpenIcon, QSize(24, 24));
    LMDButton1 = IconButton(this, QStringLiteral("LMDButton1"), QStringLiteral("Search File"),
                            QStyle::SP_FileDialogContentsView, QSize(24, 24));
    LMDSpeedButton1 = IconButton(this, QStringLiteral("LMDSpeedButton1"), QStringLiteral("Prepare Log"),
                                 QStyle::SP_DialogApplyButton, QSize(24, 24));

    s = new QPlainTextEdit(this);
    s->setObjectName(QStringLiteral("s"));
    s->setAccessibleName(QStringLiteral("Navigation log"));
    s->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    s->setFont(courier);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->hide();

    auto* row = new QHBoxLayout;
    row->addWidget(LMDRADIO);
    row->addWidget(CheckDb);
    auto* file = new QHBoxLayout;
    file->setSpacing(0);
    file->addWidget(FileOpen, 1);
    file->addWidget(FileOpenBrowse);
    row->addLayout(file, 1);
    row->addWidget(LMDButton1);
    row->addWidget(LMDSpeedButton1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(s, 1);

    connect(LMDRADIOItems, &QButtonGroup::idClicked, this, &TFSelect::LMDRADIOChange);
    connect(FileOpen, &QLineEdit::textChanged, this, &TFSelect::FileOpenChange);
    connect(FileOpenBrowse, &QToolButton::clicked, this, &TFSelect::FileOpenBrowseClick);
    connect(LMDButton1, &QToolButton::clicked, this, &TFSelect::LMDButton1Click);
    connect(LMDSpeedButton1, &QToolButton::clicked, this, &TFSelect::LMDSpeedButton1Click);
}

void TFSelect::FormShow() { dialogDirectory_ = ToQString(services_.workingDirectory); }

void TFSelect::LMDRADIOChange(int item) {
    // Each planner's own files come first in the dialog.
    filterIndex_ = item == kFlightPlanner ? 1 : 0;
}

void TFSelect::FileOpenBrowseClick() {
    const QString chosen = browse_(this, dialogDirectory_, DialogFilters(), filterIndex_);
    if (!chosen.isEmpty()) FileOpen->setText(chosen);
}

void TFSelect::FileOpenChange(const QString& text) {
    try {
        navlog::LoadPlannerText(state_, ToBytes(text));
    } catch (const Error&) {
        // The name as the pilot gave it, not the resolved path.
        ShowErrorMessage(this, msg::Format(msg::kCannotOpenFile, ToBytes(text)));
        return;
    }
    ShowState();
}

void TFSelect::ShowState() {
    Memo->setPlainText(JoinForDisplay(state_.Memo));
    s->setPlainText(JoinForDisplay(state_.s));
}

void TFSelect::LMDSpeedButton1Click() {
    const bool flightPlanner = LMDRADIOItems->checkedId() == kFlightPlanner;
    try {
        // A store that cannot succeed is known before Report.log is written.
        if (CheckDb->isChecked()) services_.dm.ClientDataSet1().CheckOpen();
        // What the pilot typed into the shown text is what the FlightPlanner
        // reader looks at first.
        state_.s = SplitFromDisplay(s->toPlainText());
        const LocaleFormats locale = platform::CurrentLocaleFormats();
        const std::string date = navlog::DateText(platform::CurrentDateTime(), locale);
        if (flightPlanner)
            navlog::Flightplanner(state_, Context(), locale, date);
        else
            navlog::WinPlanner(state_, Context(), locale, date);
    } catch (const Error& e) {
        ShowState();  // a failed reader may have built part of the log
        ShowErrorMessage(this, e.what());
        return;
    }
    ShowState();
    if (CheckDb->isChecked()) StoreFlight();
}

void TFSelect::StoreFlight() {
    const std::optional<QString> answer = inputBox_(this, ToQString(msg::kCaptionInsertFlightId),
                                                    ToQString(msg::kPromptFlightId), ToQString(msg::kPresetFlightId));
    // A cancelled box keeps the preset as the ID.
    const std::string id = answer ? ToBytes(*answer) : std::string(msg::kPresetFlightId);
    try {
        const navlog::StoredFlight f = navlog::StoredFlightFields(state_, id);
        services_.dm.ClientDataSet1().InsertFlight(f.id, f.description, f.plan, f.type);
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
    }
}

}  // namespace kestrova::ui
