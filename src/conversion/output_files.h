#pragma once

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

// The output side of the conversion frame: fixed names in the temporary directory.
namespace kestrova::conversion {

inline constexpr std::string_view kPrgFileName = "FS98.prg";
inline constexpr std::string_view kTxtFileName = "FS98.txt";
inline constexpr std::string_view kFsnFileName = "Altam.fsn";
inline constexpr std::string_view kPlnFileName = "FS98.pln";

std::string OutputPath(const std::string& directory, std::string_view fileName);

// A text output, created or truncated when constructed; every line ends with CR LF.
class TextOutput {
public:
    // Throws Error("Cannot create file <path>").
    explicit TextOutput(std::string path);
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Throws Error("Unable to write to <path>").
    void WriteLine(std::string_view line);
    // Throws Error("Unable to write to <path>") when the buffered data cannot be written.
    void Close();

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

// Creates or replaces the file with the bytes. Throws Error("Cannot create
// file <path>") or Error("Unable to write to <path>").
void WriteBinaryFile(const std::string& path, std::string_view bytes);

// Runs the reading loop, then the finishing step, which also runs when the loop
// throws; the loop's error then goes on to the caller.
template <class Loop, class Finish>
void FinishAfter(Loop&& loop, Finish&& finish) {
    std::exception_ptr failure;
    try {
        loop();
    } catch (...) {
        failure = std::current_exception();
    }
    finish();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace kestrova::conversion
