#pragma once

#include <string>

#include <QObject>

namespace kestrova::ui {

// The data module: the program's shared data that outlives every screen.
// It is created before the main window and destroyed after it.
//
// The flights table belongs here: Open loads it from "Voli.cds" of the
// working directory and Save writes it back at the end. Until the flights
// library is part of the build both do nothing, so the rest of the program
// can already be built around the module.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    void Open(const std::string& workingDirectory);
    void Save();

    const std::string& WorkingDirectory() const { return workingDirectory_; }
    bool IsOpen() const { return open_; }

private:
    std::string workingDirectory_;
    bool open_ = false;
};

}  // namespace kestrova::ui
