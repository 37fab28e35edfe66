#include "ui/tfconnection.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/app_context.h"
#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "simlink/altitude_profile.h"
#include "simlink/flight_record_file.h"
#include "simlink/ipc_client.h"
#include "simlink/sim_values.h"
#include "ui/altitude_chart.h"
#include "ui/gui_caller_thread.h"
#include "ui/latin1.h"
#include "ui/message_box.h"

namespace kestrova::ui {

namespace {

constexpr int kBarHeight = 67;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 48;
constexpr int kStatusPanelWidth = 50;
constexpr int kPicture = 40;

enum class Picture { Connect, Graph, File };

// The buttons' pictures are drawn, so no image files travel with the program.
QIcon DrawPicture(Picture picture) {
    QPixmap pixmap(kPicture, kPicture);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case Picture::Connect: {
        // Two plug halves meeting.
        p.setPen(QPen(QColor(30, 90, 160), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 20), QPointF(12, 20));
        p.drawLine(QPointF(28, 20), QPointF(37, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 140, 220));
        p.drawRoundedRect(QRectF(11, 11, 9, 18), 3, 3);
        p.setBrush(QColor(40, 170, 90));
        p.drawRoundedRect(QRectF(21, 11, 9, 18), 3, 3);
        p.setPen(QPen(QColor(90, 90, 90), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(21, 15), QPointF(17, 15));
        p.drawLine(QPointF(21, 25), QPointF(17, 25));
        break;
    }
    case Picture::Graph: {
        p.setPen(QPen(QColor(70, 70, 70), 2));
        p.drawLine(QPointF(5, 4), QPointF(5, 35));
        p.drawLine(QPointF(5, 35), QPointF(37, 35));
        const QPointF points[] = {{9, 30}, {16, 17}, {24, 10}, {31, 12}, {36, 26}};
        p.setPen(QPen(Qt::red, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(points, 5);
        p.setBrush(Qt::red);
        p.setPen(Qt::NoPen);
        for (const QPointF& point : points) p.drawEllipse(point, 2.5, 2.5);
        break;
    }
    case Picture::File: {
        QPainterPath sheet;
        sheet.moveTo(8, 3);
        sheet.lineTo(25, 3);
        sheet.lineTo(33, 11);
        sheet.lineTo(33, 37);
        sheet.lineTo(8, 37);
        sheet.closeSubpath();
        p.setPen(QPen(QColor(80, 80, 80), 1.5));
        p.setBrush(Qt::white);
        p.drawPath(sheet);
        p.drawLine(QPointF(25, 3), QPointF(25, 11));
        p.drawLine(QPointF(25, 11), QPointF(33, 11));
        p.setPen(QPen(QColor(40, 90, 170), 2));
        for (int y = 16; y <= 32; y += 4) p.drawLine(QPointF(12, y), QPointF(29, y));
        break;
    }
    }
    return QIcon(pixmap);
}

QToolButton* PictureButton(QWidget* bar, const char* name, int x, const QString& hint, Picture picture) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, (kBarHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight);
    button->setIcon(DrawPicture(picture));
    button->setIconSize(QSize(kPicture, kPicture));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint.trimmed());
    return button;
}

bool AskResumeInBox(QWidget* parent) {
    return QMessageBox::question(parent, ToQString(msg::kCaptionConfirm), QStringLiteral("Resume Broken Connection?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

TFConnection::TFConnection(const ScreenServices& services, QWidget* area)
    : Screen(QStringLiteral("Connection"), area),
      ControlBar1(new QFrame(this)),
      StatusBar1(new QStatusBar(this)),
      Memo1(new QPlainTextEdit(this)),
      Chart1(new AltitudeChart(this)),
      workingDirectory_(services.workingDirectory),
      reaper_(new QTimer(this)) {
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    ControlBar1->setFixedHeight(kBarHeight);
    ControlBar1->setFrameShape(QFrame::StyledPanel);
    LMDSpeedButton2 = PictureButton(ControlBar1, "LMDSpeedButton2", 11, QStringLiteral("Connect to FSim"),
                                    Picture::Connect);
    LMDSpeedButton1 = PictureButton(ControlBar1, "LMDSpeedButton1", 124, QStringLiteral("View Graph "),
                                    Picture::Graph);
    LMDSpeedButton3 = PictureButton(ControlBar1, "LMDSpeedButton3", 237, QStringLiteral("View Generated File"),
                                    Picture::File);
    connect(LMDSpeedButton2, &QToolButton::clicked, this, &TFConnection::LMDSpeedButton2Click);
    connect(LMDSpeedButton1, &QToolButton::clicked, this, &TFConnection::LMDSpeedButton1Click);
    connect(LMDSpeedButton3, &QToolButton::clicked, this, &TFConnection::LMDSpeedButton3Click);

    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    auto* panel = new QLabel(StatusBar1);
    panel->setFixedWidth(kStatusPanelWidth);
    StatusBar1->addWidget(panel);

    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setAccessibleName(QStringLiteral("Flight record"));
    Memo1->hide();
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->hide();

    // Memo1 and Chart1 take turns in one area; with neither shown it stays empty.
    auto* shared = new QWidget(this);
    auto* sharedLayout = new QVBoxLayout(shared);
    sharedLayout->setContentsMargins(0, 0, 0, 0);
    sharedLayout->addWidget(Memo1);
    sharedLayout->addWidget(Chart1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ControlBar1);
    layout->addWidget(shared, 1);
    layout->addWidget(StatusBar1);

    askResume = [this] { return AskResumeInBox(this); };
    recorderOptions.timeSeparator = platform::CurrentLocaleFormats().timeSeparator;

    // A recorder that ended by itself (the end hot key) is let go of here.
    reaper_->setInterval(250);
    connect(reaper_, &QTimer::timeout, this, &TFConnection::ReapRecorder);
}

TFConnection::~TFConnection() { EndRecorder(); }

bool TFConnection::Recording() const { return recorder_ && !recorder_->Finished(); }

void TFConnection::LMDSpeedButton2Click() {
    ReapRecorder();
    // One recorder at a time: it owns the link and the record.
    if (recorder_ || TTest2000::AnyRunning()) {
        ShowErrorMessage(this, msg::kRecorderRunning);
        return;
    }
    // Starting FlightGear's bridge waits here, on the GUI thread, for at most
    // flightGear.Options().wait (a few seconds), and only while FlightGear
    // answers without serving the link yet; without FlightGear it is at once.
    std::string why;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool found = flightGear.FindOrStartSimulator(why);
    QApplication::restoreOverrideCursor();
    if (!found) {
        if (!why.empty()) qWarning("%s", why.c_str());
        ShowErrorMessage(this, msg::kFsNotRunning);
        return;
    }
    Context().resumeConnection = askResume() ? 1 : 0;

    AppContext context = Context();
    context.workingDirectory = workingDirectory_;
    auto caller = std::make_unique<GuiCallerThread>();
    RecorderStatus& status = *this;
    try {
        recorder_ = std::make_unique<TTest2000>(context, status, *caller, recorderOptions);
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
        return;
    }
    caller_ = std::move(caller);
    reaper_->start();
}

void TFConnection::LMDSpeedButton3Click() {
    Chart1->hide();
    Memo1->show();
    try {
        const std::vector<std::string> lines = LoadFlightRecord(workingDirectory_);
        QStringList text;
        text.reserve(static_cast<qsizetype>(lines.size()));
        for (const std::string& line : lines) text << ToQString(line);
        Memo1->setPlainText(text.join(QLatin1Char('\n')));
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
    }
}

void TFConnection::LMDSpeedButton1Click() {
    std::vector<int32_t> altitudes;
    try {
        altitudes = RecordAltitudes(LoadFlightRecord(workingDirectory_));
    } catch (const Error& e) {
        ShowErrorMessage(this, e.what());
        return;
    }
    Memo1->hide();
    Chart1->AddSeries(altitudes);
    Chart1->show();
}

void TFConnection::ReportConnected(const std::string& title) { ShowTitle(title); }
void TFConnection::ReportFilePrepared(const std::string& title) { ShowTitle(title); }
void TFConnection::ReportThreadError(const std::string& title) { ShowTitle(title); }

void TFConnection::ShowTitle(const std::string& title) { window()->setWindowTitle(ToQString(title)); }

void TFConnection::ReapRecorder() {
    if (!recorder_ || !recorder_->Finished()) return;
    recorder_.reset();  // joins a thread that has already returned
    caller_.reset();
    reaper_->stop();
}

void TFConnection::EndRecorder() {
    reaper_->stop();
    if (!recorder_) return;
    // Released first, so that the recorder never waits for this thread while
    // this thread waits for it.
    caller_->Close();
    recorder_.reset();  // asks the run to end and waits: record and link closed
    caller_.reset();
}

}  // namespace kestrova::ui
