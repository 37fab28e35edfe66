// Update Log on a fuzzed navigation log and flight record. The input is the
// log, a NUL byte, then the record (FS98.log); without a NUL it is the log
// with an empty record. UpdateLog turns every failure into a message.
#include <cstring>

#include "core/lines.h"
#include "fuzz_support.h"
#include "review/log_update.h"

using namespace kestrova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const size_t nul = input.find('\0');
    const std::string_view log = input.substr(0, nul);
    const std::string_view record = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    fuzz::PutFile(fuzz::ScratchFile("FS98.log"), record);
    const LocaleFormats locale;
    const std::vector<std::string> lines = SplitLines(std::string(log));
    const review::LogUpdateResult result = review::UpdateLog(lines, fuzz::ScratchDirectory(), locale);
    // A second run on its own result must not fail where the first succeeded.
    if (result.rewritten && result.messages.empty()) review::UpdateLog(result.lines, fuzz::ScratchDirectory(), locale);
    return 0;
}
