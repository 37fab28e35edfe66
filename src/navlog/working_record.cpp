#include "navlog/working_record.h"

#include <cstdio>
#include <fstream>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova::navlog {

void NewScratchFile(WorkingRecord& record) {
    record.scratchPath = platform::CreateUniqueTempFile(platform::SystemTempDirectory(), "tmp");
}

void WriteScratch(const WorkingRecord& record, const std::vector<std::string>& lines) {
    // A plain overwrite: the file is private and lives only for this
    // preparation, so it needs no atomic replacement.
    const std::string text = JoinLines(lines);
    std::ofstream out(record.scratchPath, std::ios::binary | std::ios::trunc);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out) out.close();
    if (!out) throw Error(msg::Format(msg::kCannotCreateFile, record.scratchPath));
}

std::vector<std::string> ReadScratch(const WorkingRecord& record) { return platform::LoadLines(record.scratchPath); }

ScratchFileGuard::~ScratchFileGuard() {
    if (!path_.empty()) std::remove(path_.c_str());
}

void ScratchFileGuard::Recycle() {
    if (path_.empty()) return;
    if (platform::MoveToRecycleBin(path_)) path_.clear();
}

}  // namespace kestrova::navlog
