#include "ui/tdm.h"

#include <QTimer>

#include "flights/flights_table.h"

namespace kestrova::ui {

struct TDM::Store {
    explicit Store(const std::string& workingDirectory) : module(workingDirectory) {}
    kestrova::TDM module;
};

TDM::TDM(QObject* parent) : QObject(parent), closed_(std::make_unique<FlightsTable>()) {}

TDM::~TDM() = default;  // the store posts what is pending if Save never ran

std::string TDM::Open(const std::string& workingDirectory) {
    workingDirectory_ = workingDirectory;
    store_ = std::make_unique<Store>(workingDirectory);
    if (store_->module.ClientDataSet1().IsOpen()) QTimer::singleShot(50, this, &TDM::PollCheck);
    return store_->module.OpenMessage();
}

void TDM::PollCheck() {
    if (!store_) return;
    FlightsTable& table = store_->module.ClientDataSet1();
    if (!table.CheckFinished()) {
        QTimer::singleShot(50, this, &TDM::PollCheck);
        return;
    }
    if (!table.IsOpen()) emit OpenFailedLate(QString::fromStdString(table.OpenError()));
}

std::string TDM::Save() { return store_ ? store_->module.Shutdown() : std::string(); }

bool TDM::IsOpen() const { return store_ != nullptr && store_->module.ClientDataSet1().IsOpen(); }

FlightsTable& TDM::ClientDataSet1() { return store_ ? store_->module.ClientDataSet1() : *closed_; }

}  // namespace kestrova::ui
