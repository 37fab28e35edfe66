#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kestrova::conversion {

// Target formats; the numbers are also the positions (from 1) of the filters
// of the screen's save dialog.
inline constexpr int16_t kKindAcsGps = 1;
inline constexpr int16_t kKindGps = 2;
inline constexpr int16_t kKindFsNavigator = 3;
inline constexpr int16_t kKindFs2000 = 4;

// The default extension of a kind's file ("prg", "txt", "fsn", "pln"); empty for others.
std::string KindExtension(int16_t kind);

// Stores the file and kind of the conversion that just finished its frame and
// tells the listener, if one is set. Every conversion calls it as its last
// step, also when its reading loop ended through an error.
void SetConversionResult(const std::string& path, int16_t kind);

// Full path of the file the last conversion wrote; empty at start.
const std::string& LastOutputFile();
// Kind of that file; 0 at start.
int16_t LastOutputKind();

// Called by SetConversionResult after storing both values (main thread only).
using ConversionResultListener = std::function<void(const std::string& path, int16_t kind)>;
void SetConversionResultListener(ConversionResultListener listener);

// What a conversion call hands back besides the stored result.
struct ConversionReport {
    std::string outputFile;
    int16_t kind = 0;
    // "Bad File Format. Check It!" was met. The output is still complete in its
    // reduced form and the result is set, so callers show the message and go on.
    bool badFileFormat = false;
};

}  // namespace kestrova::conversion
