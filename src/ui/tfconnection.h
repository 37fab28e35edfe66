#pragma once

#include <functional>
#include <memory>
#include <string>

#include "simlink/flightgear_autostart.h"
#include "simlink/recorder.h"
#include "ui/screen.h"

class QFrame;
class QPlainTextEdit;
class QStatusBar;
class QTimer;
class QToolButton;

namespace kestrova::ui {

class AltitudeChart;
class GuiCallerThread;

// Connection: starts the flight recorder and shows the flight record as text
// and its altitudes as a chart. The recorder reports in the main window's
// title. The screen owns the recorder it started, so that a second one is
// refused and quitting ends a running one cleanly: record synced, link closed.
class TFConnection : public Screen, private RecorderStatus {
    Q_OBJECT
public:
    TFConnection(const ScreenServices& services, QWidget* area);
    ~TFConnection() override;

    QFrame* ControlBar1;
    QToolButton* LMDSpeedButton2;  // Connect
    QToolButton* LMDSpeedButton1;  // View Graph
    QToolButton* LMDSpeedButton3;  // View Generated File
    QStatusBar* StatusBar1;
    QPlainTextEdit* Memo1;
    AltitudeChart* Chart1;

    // The "Resume Broken Connection?" question; true for Yes. Tests answer it.
    std::function<bool()> askResume;
    // How the recorders started here run (the locale's time separator, the poll pause).
    RecorderOptions recorderOptions;

    // FlightGear's bridge, started by Connect when no simulator window exists
    // and FlightGear answers; ended with the screen (at the program's end).
    // Tests point its options at their own bridge and port.
    FlightGearAutostart flightGear;

    // Whether a recorder started here is still running.
    bool Recording() const;

public slots:
    void LMDSpeedButton2Click();
    void LMDSpeedButton1Click();
    void LMDSpeedButton3Click();

private:
    void ReportConnected(const std::string& title) override;
    void ReportFilePrepared(const std::string& title) override;
    void ReportThreadError(const std::string& title) override;
    void ShowTitle(const std::string& title);

    // Lets go of a recorder that has ended by itself.
    void ReapRecorder();
    // Ends a running recorder and waits for it.
    void EndRecorder();

    std::string workingDirectory_;
    // The caller interface outlives the recorder that waits on it.
    std::unique_ptr<GuiCallerThread> caller_;
    std::unique_ptr<TTest2000> recorder_;
    QTimer* reaper_;
};

}  // namespace kestrova::ui
