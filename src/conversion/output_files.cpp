#include "conversion/output_files.h"

#include <utility>

#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova::conversion {

std::string OutputPath(const std::string& directory, std::string_view fileName) {
    return platform::JoinPath(directory, std::string(fileName));
}

TextOutput::TextOutput(std::string path) : path_(std::move(path)) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) throw Error(msg::Format(msg::kCannotCreateFile, path_));
}

TextOutput::~TextOutput() {
    if (file_ != nullptr) std::fclose(file_);
}

void TextOutput::WriteLine(std::string_view line) {
    if (file_ == nullptr || std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2)
        throw Error(msg::Format(msg::kUnableToWrite, path_));
}

void TextOutput::Close() {
    if (file_ == nullptr) return;
    std::FILE* file = std::exchange(file_, nullptr);
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) throw Error(msg::Format(msg::kUnableToWrite, path_));
}

void WriteBinaryFile(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) throw Error(msg::Format(msg::kCannotCreateFile, path));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) throw Error(msg::Format(msg::kUnableToWrite, path));
}

}  // namespace kestrova::conversion
