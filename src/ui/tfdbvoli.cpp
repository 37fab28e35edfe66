#include "ui/tfdbvoli.h"

#include <algorithm>
#include <iterator>

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/error.h"
#include "flights/flights_csv.h"
#include "flights/flights_table.h"
#include "ui/flights_model.h"
#include "ui/latin1.h"
#include "ui/message_box.h"
#include "ui/tdm.h"

namespace kestrova::ui {

namespace {

struct NavigatorEntry {
    QStyle::StandardPixmap icon;
    const char* hint;
};

constexpr NavigatorEntry kNavigator[] = {
    {QStyle::SP_MediaSkipBackward, "First record"}, {QStyle::SP_MediaSeekBackward, "Prior record"},
    {QStyle::SP_MediaSeekForward, "Next record"},   {QStyle::SP_MediaSkipForward, "Last record"},
    {QStyle::SP_FileDialogNewFolder, "Insert record"}, {QStyle::SP_TrashIcon, "Delete record"},
    {QStyle::SP_FileDialogDetailedView, "Edit record"}, {QStyle::SP_DialogApplyButton, "Post edit"},
    {QStyle::SP_DialogCancelButton, "Cancel edit"}, {QStyle::SP_FileDialogContentsView, "Search"},
};

const char* const kTypeItems[] = {"All", "Business", "Touristic", "National", "International"};
const char* const kTypeLetters[] = {"", "B", "T", "N", "I"};

// The memo shows a log's CR LF line ends as plain line breaks.
QString LogToMemo(const std::string& log) {
    QString text = ToQString(log);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// Raw text keeps a no-break space (byte A0) that toPlainText would turn into a blank.
std::string MemoToLog(const QPlainTextEdit& memo) {
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return ToBytes(text);
}

bool AskDelete(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QGroupBox* RadioGroup(const QString& title, const QString& name, const QStringList& items, QButtonGroup* group,
                      int columns, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    const int perColumn = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        group->addButton(radio, i);
        grid->addWidget(radio, i % perColumn, i / perColumn);
    }
    group->button(0)->setChecked(true);
    return box;
}

}  // namespace

TFDBVoli::TFDBVoli(const ScreenServices& services, QWidget* area)
    : Screen(QStringLiteral("DBFlights"), area),
      dm_(services.dm),
      workingDirectory_(services.workingDirectory),
      model_(new FlightsModel(services.dm.ClientDataSet1(), this)),
      typeGroup_(new QButtonGroup(this)),
      orderGroup_(new QButtonGroup(this)) {
    confirmDelete = AskDelete;
    chooseExportFile = [](QWidget* parent, const QString& folder) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Export flights"), folder + "/flights.csv",
                                            QStringLiteral("CSV files (*.csv)"));
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);

    auto* top = new QHBoxLayout;
    LMDDBNavigator1 = new QWidget(this);
    LMDDBNavigator1->setObjectName(QStringLiteral("LMDDBNavigator1"));
    auto* nav = new QHBoxLayout(LMDDBNavigator1);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(1);
    for (int i = 0; i < NavButtonCount; ++i) {
        QToolButton* button =
            IconButton(LMDDBNavigator1, QString(), QString::fromLatin1(kNavigator[i].hint), kNavigator[i].icon);
        button->setAutoRaise(true);
        nav->addWidget(button);
        NavButtons[static_cast<size_t>(i)] = button;
        connect(button, &QToolButton::clicked, this, [this, i] { LMDDBNavigator1NavBtnClick(i); });
    }
    top->addWidget(LMDDBNavigator1);
    LMDSpeedButton2 = IconButton(this, QStringLiteral("LMDSpeedButton2"), QStringLiteral("Save To Report.log"),
                                 QStyle::SP_DialogSaveButton);
    LMDSpeedButton2->setAutoRaise(true);
    ExportButton = new QToolButton(this);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    ExportButton->setText(QStringLiteral("Export..."));
    ExportButton->setToolTip(QStringLiteral("Export the flights shown as CSV"));
    ExportButton->setAutoRaise(true);
    top->addSpacing(12);
    top->addWidget(LMDSpeedButton2);
    top->addWidget(ExportButton);
    top->addStretch(1);
    layout->addLayout(top);

    St = new QLabel(this);
    St->setObjectName(QStringLiteral("St"));
    layout->addWidget(St);

    auto* middle = new QHBoxLayout;
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Flights"));
    DBGrid1->setModel(model_);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->setColumnWidth(FlightsModel::ColumnId, 110);
    DBGrid1->setColumnWidth(FlightsModel::ColumnDescription, 150);
    DBGrid1->setColumnWidth(FlightsModel::ColumnType, 40);
    DBGrid1->horizontalHeader()->setSectionResizeMode(FlightsModel::ColumnDescription, QHeaderView::Stretch);
    DBGrid1->setMinimumHeight(120);
    middle->addWidget(DBGrid1, 1);

    auto* side = new QVBoxLayout;
    QStringList types;
    for (const char* item : kTypeItems) types << QString::fromLatin1(item);
    RadioGroup1 = RadioGroup(QStringLiteral("Type of flight"), QStringLiteral("RadioGroup1"), types, typeGroup_, 1,
                             this);
    ROrder = RadioGroup(QStringLiteral("Order"), QStringLiteral("ROrder"), {QStringLiteral("ID"),
                        QStringLiteral("Description")}, orderGroup_, 1, this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup1);
    auto* orderAndFind = new QVBoxLayout;
    orderAndFind->addWidget(ROrder);
    auto* findLabel = new QLabel(QStringLiteral("Quick Find"), this);
    Testo = new QLineEdit(this);
    Testo->setObjectName(QStringLiteral("Testo"));
    findLabel->setBuddy(Testo);
    orderAndFind->addWidget(findLabel);
    orderAndFind->addWidget(Testo);
    orderAndFind->addStretch(1);
    groups->addLayout(orderAndFind);
    side->addLayout(groups);
    side->addStretch(1);
    middle->addLayout(side);
    layout->addLayout(middle, 3);

    MemoVoli = new QPlainTextEdit(this);
    MemoVoli->setObjectName(QStringLiteral("MemoVoli"));
    MemoVoli->setAccessibleName(QStringLiteral("Navigation log"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSize(9);
    MemoVoli->setFont(courier);
    MemoVoli->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(MemoVoli, 4);

    S = new QPlainTextEdit(this);
    S->setObjectName(QStringLiteral("S"));
    S->hide();

    connect(typeGroup_, &QButtonGroup::idClicked, this, &TFDBVoli::RadioGroup1Click);
    connect(orderGroup_, &QButtonGroup::idClicked, this, &TFDBVoli::ROrderChange);
    connect(Testo, &QLineEdit::textChanged, this, &TFDBVoli::TestoChange);
    connect(LMDSpeedButton2, &QToolButton::clicked, this, &TFDBVoli::LMDSpeedButton2Click);
    connect(ExportButton, &QToolButton::clicked, this, &TFDBVoli::ExportButtonClick);
    connect(MemoVoli, &QPlainTextEdit::textChanged, this, &TFDBVoli::MemoEdited);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { GridRowChosen(current.row()); });
    connect(model_, &FlightsModel::warningMessage, this,
            [this](const QString& text) { ShowErrorMessage(this, text.toStdString()); });
    connect(model_, &FlightsModel::RecordPosted, this, &TFDBVoli::ShowRecord);
    // From a reset until ShowRecord has put the grid back on the table's
    // record, the view's own choice of a row (the first, when it gets the
    // focus back from a closed editor) must not move the table.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { syncing_ = true; });
    // The file was found damaged after the start: the table is closed now.
    connect(&dm_, &TDM::OpenFailedLate, this, [this] {
        model_->Reload();
        ShowRecord();
    });
    ShowStatus(-1);
}

FlightsTable& TFDBVoli::Table() const { return dm_.ClientDataSet1(); }

QRadioButton* TFDBVoli::TypeButton(int index) const {
    return static_cast<QRadioButton*>(typeGroup_->button(index));
}

QRadioButton* TFDBVoli::OrderButton(int index) const {
    return static_cast<QRadioButton*>(orderGroup_->button(index));
}

// The rows are read when the pilot first comes here, not at start-up.
void TFDBVoli::FormShow() {
    FlightsTable& table = Table();
    bool reload = !loaded_;
    loaded_ = true;
    if (table.IsOpen()) {
        try {
            reload = table.ChangedElsewhere() || reload;
        } catch (const Error&) {
            reload = true;
        }
    }
    if (reload) model_->Reload();
    ShowRecord();
}

void TFDBVoli::Act(bool reload, const std::function<void()>& action) {
    model_->FinishEdit();
    FlightsTable& table = Table();
    try {
        table.CheckOpen();
        // Another instance's commit, or a pending change the action posts,
        // may change the rows.
        if (table.ChangedElsewhere() || table.State() != FlightsState::Browse) reload = true;
        action();
    } catch (const Error& e) {
        if (!table.IsOpen()) reload = true;  // closed by the check of the file
        if (reload) model_->Reload();
        ShowRecord();
        ShowErrorMessage(this, e.what());
        return;
    }
    if (reload) model_->Reload();
    ShowRecord();
}

void TFDBVoli::ShowRecord() {
    FlightsTable& table = Table();
    syncing_ = true;
    std::string log;
    if (table.IsOpen()) {
        try {
            if (const auto shown = table.Shown()) log = shown->plan;
        } catch (const Error&) {
        }
    }
    const QString text = LogToMemo(log);
    if (LogToMemo(MemoToLog(*MemoVoli)) != text) MemoVoli->setPlainText(text);
    MemoVoli->setReadOnly(!table.IsOpen());

    // Through the view, so that it knows its current row was chosen and does
    // not pick the first one when it gets the focus back.
    const int row = model_->CurrentRow();
    if (row < 0) {
        DBGrid1->setCurrentIndex(QModelIndex());
    } else {
        const int column = std::max(DBGrid1->currentIndex().column(), 0);
        const QModelIndex index = model_->index(row, column);
        if (DBGrid1->currentIndex() != index) DBGrid1->setCurrentIndex(index);
        DBGrid1->scrollTo(index);
    }
    syncing_ = false;
    ShowStatus(row);
}

void TFDBVoli::ShowStatus(int row) {
    FlightsTable& table = Table();
    if (!table.IsOpen()) {
        St->setText(QStringLiteral("Flight: closed"));
        return;
    }
    const QString position =
        row < 0 ? QStringLiteral("no record") : QStringLiteral("record %1 of %2").arg(row + 1).arg(model_->StoredRows());
    switch (table.State()) {
        case FlightsState::Browse: St->setText(QStringLiteral("Flight: browse, ") + position); break;
        case FlightsState::Edit: St->setText(QStringLiteral("Flight: edit, ") + position); break;
        case FlightsState::Insert: St->setText(QStringLiteral("Flight: insert")); break;
    }
}

void TFDBVoli::GridRowChosen(int row) {
    if (syncing_ || row < 0 || model_->IsInsertRow(row)) return;
    const int64_t rowid = model_->RowidAt(row);
    if (rowid == 0) return;
    Act(false, [&] { Table().MoveTo(rowid); });
}

void TFDBVoli::MemoEdited() {
    if (syncing_ || MemoVoli->isReadOnly()) return;
    FlightsTable& table = Table();
    try {
        const bool wasBrowsing = table.State() == FlightsState::Browse;
        table.SetField(FlightField::Plan, MemoToLog(*MemoVoli));
        if (wasBrowsing) ShowStatus(DBGrid1->currentIndex().row());
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
    }
}

void TFDBVoli::RadioGroup1Click(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kTypeLetters))) return;
    Act(true, [&] {
        if (index == 0) {
            Table().ClearTypeFilter();
        } else {
            Table().SetTypeFilter(kTypeLetters[index]);
        }
    });
}

void TFDBVoli::ROrderChange(int index) {
    Act(true, [&] { Table().SetOrderByFieldName(index == 1 ? "DESCRIZIONE" : "ID"); });
}

void TFDBVoli::TestoChange(const QString& text) {
    Act(false, [&] { Table().FindNearest(ToBytes(text)); });
}

void TFDBVoli::ExportButtonClick() {
    const QString file = chooseExportFile(this, ToQString(workingDirectory_));
    if (file.isEmpty()) return;
    // What the grid shows, in its order, as `kestrova-cli flights export --csv` writes it.
    Act(false, [&] { WriteFlightsCsv(ToBytes(file), Table().VisibleRecordsWithPlans()); });
}

void TFDBVoli::LMDSpeedButton2Click() {
    model_->FinishEdit();
    FlightsTable& table = Table();
    try {
        table.CheckOpen();
        std::string log;
        if (const auto shown = table.Shown()) log = shown->plan;
        // S carries the log to the file and is emptied whatever happens.
        S->setPlainText(LogToMemo(log));
        struct Empty {
            QPlainTextEdit* s;
            ~Empty() { s->clear(); }
        } empty{S};
        SaveToReportLog(table, workingDirectory_, log);
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
    }
}

void TFDBVoli::LMDDBNavigator1NavBtnClick(int button) {
    FlightsTable& table = Table();
    switch (button) {
        case NavFirst: Act(false, [&] { table.First(); }); break;
        case NavPrior: Act(false, [&] { table.Prior(); }); break;
        case NavNext: Act(false, [&] { table.Next(); }); break;
        case NavLast: Act(false, [&] { table.Last(); }); break;
        case NavInsert: Act(true, [&] { table.Insert(); }); break;
        case NavDelete:
            Act(true, [&] {
                if (table.State() == FlightsState::Browse && !table.Current()) return;
                if (confirmDelete(this, QStringLiteral("Delete record?"))) table.Delete();
            });
            break;
        case NavEdit: Act(false, [&] { table.Edit(); }); break;
        case NavPost: Act(true, [&] { table.Post(); }); break;
        case NavCancel: Act(true, [&] { table.Cancel(); }); break;
        default: Act(false, [&] { table.CheckOpen(); }); break;  // search: nothing of its own
    }
}

}  // namespace kestrova::ui
