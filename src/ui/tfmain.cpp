#include "ui/tfmain.h"

#include <clocale>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/app_context.h"
#include "platform/platform.h"
#include "ui/icons.h"
#include "ui/navigation_bar.h"
#include "ui/tfabout.h"
#include "ui/tfconnection.h"
#include "ui/tfconvert.h"
#include "ui/tfdbvoli.h"
#include "ui/tfoverview.h"
#include "ui/tfpilot.h"
#include "ui/tfselect.h"
#include "ui/tfview.h"

namespace kestrova::ui {

namespace {

constexpr int kWidth = 753;
constexpr int kHeight = 501;
constexpr int kBarWidth = 148;

}  // namespace

QString TFMain::DefaultTitle() { return QStringLiteral("Altamarinola Reporter 2002  -  V1.0"); }

TFMain::TFMain(TDM& dm, const std::string& settingsPath, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dm_(dm),
      settings_(settingsPath),
      bar_(new NavigationBar),
      splitter_(new QSplitter(Qt::Horizontal, this)),
      registry_(new ScreenArea) {
    setWindowTitle(DefaultTitle());
    setWindowIcon(DrawnIcon(IconKind::Application));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_->addWidget(bar_);
    splitter_->addWidget(registry_.Area());
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    splitter_->setSizes({kBarWidth, kWidth - kBarWidth});
    layout->addWidget(splitter_);

    resize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    connect(bar_, &NavigationBar::ItemClicked, this, &TFMain::ShowScreen);
    FormCreate();
}

void TFMain::FormCreate() {
    const std::string workingDirectory = platform::CurrentDirectory();
    const ScreenServices services{dm_, settings_, workingDirectory};
    ScreenArea* area = registry_.Area();
    registry_.Register(new TFOverView(area), true);
    registry_.Register(new TFSelect(services, area), false);
    registry_.Register(new TFView(services, area), false);
    registry_.Register(new TFConvert(services, area), false);
    registry_.Register(new TFPilot(services, area), false);
    registry_.Register(new TFConnection(services, area), false);
    registry_.Register(new TFDBVoli(services, area), false);
    registry_.Register(new TFAbout(area), false);

    // Numbers are written and read with "." whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());

    Context() = LoadApplicationContext(settings_, workingDirectory);
}

void TFMain::closeEvent(QCloseEvent* event) {
    // Every screen may hold work to keep (the log editor's unsaved text).
    for (const QString& key : registry_.Keys()) {
        if (!registry_.Find(key)->FormCloseQuery()) {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

void TFMain::ShowScreen(const QString& key) {
    registry_.ShowScreen(key);
    bar_->Reveal(key);
}

void TFMain::BringToFront() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
        raise();
    }
    activateWindow();
}

}  // namespace kestrova::ui
