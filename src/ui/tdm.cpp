#include "ui/tdm.h"

namespace kestrova::ui {

TDM::TDM(QObject* parent) : QObject(parent) {}

TDM::~TDM() {
    if (open_) Save();
}

void TDM::Open(const std::string& workingDirectory) {
    workingDirectory_ = workingDirectory;
    open_ = true;
}

void TDM::Save() {}

}  // namespace kestrova::ui
