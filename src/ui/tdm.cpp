#include "ui/tdm.h"

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
    return store_->module.OpenMessage();
}

std::string TDM::Save() { return store_ ? store_->module.Shutdown() : std::string(); }

bool TDM::IsOpen() const { return store_ != nullptr && store_->module.ClientDataSet1().IsOpen(); }

FlightsTable& TDM::ClientDataSet1() { return store_ ? store_->module.ClientDataSet1() : *closed_; }

}  // namespace kestrova::ui
