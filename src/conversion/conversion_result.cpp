#include "conversion/conversion_result.h"

#include <utility>

namespace kestrova::conversion {

namespace {

struct ResultState {
    std::string lastOutputFile;
    int16_t lastOutputKind = 0;
    ConversionResultListener listener;
};

ResultState& State() {
    static ResultState state;
    return state;
}

}  // namespace

std::string KindExtension(int16_t kind) {
    switch (kind) {
        case kKindAcsGps: return "prg";
        case kKindGps: return "txt";
        case kKindFsNavigator: return "fsn";
        case kKindFs2000: return "pln";
        default: return {};
    }
}

void SetConversionResult(const std::string& path, int16_t kind) {
    ResultState& state = State();
    state.lastOutputFile = path;
    state.lastOutputKind = kind;
    if (state.listener) state.listener(path, kind);
}

const std::string& LastOutputFile() { return State().lastOutputFile; }

int16_t LastOutputKind() { return State().lastOutputKind; }

void SetConversionResultListener(ConversionResultListener listener) { State().listener = std::move(listener); }

}  // namespace kestrova::conversion
