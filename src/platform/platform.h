#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/time_value.h"

// What the operating system provides. Paths are byte strings in the
// platform's own form; directories returned here end with a separator.
namespace kestrova::platform {

// The directory for the system's temporary files: a private per-user folder
// (mode 0700) under $TMPDIR or /tmp, so that the fixed output names of the
// conversions cannot be planted as links by another user.
// Throws Error("Cannot create file <dir>") when it cannot be made private.
std::string SystemTempDirectory();

// Creates a new empty file named prefix + a unique part in the directory and
// returns its path. Throws Error("Cannot create file <dir>...") on failure.
std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix = "tmp");

// Moves the file into the user's recycle bin without asking; where it cannot be
// moved there (another file system) it is deleted. False when it is still there.
bool MoveToRecycleBin(const std::string& path);

// The user's locale formats (time separator, short date, long time), read
// without changing the process locale; the C-locale fallback is ':',
// "mm/dd/yy" and "hh:nn:ss".
LocaleFormats CurrentLocaleFormats();

// Local date and time now, as days since 1899-12-30.
double CurrentDateTime();

// The current directory of the process, without a trailing separator.
std::string CurrentDirectory();

// The directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();

// dir + "/" + name (Windows: "\\"), where dir may or may not end in a separator.
std::string JoinPath(const std::string& directory, const std::string& name);

// The path of a file of the directory whose name matches without regard to
// letter case; the canonical name when none exists (so new files get it).
std::string FindFileNoCase(const std::string& directory, const std::string& name);

bool FileExists(const std::string& path);

// No file the system reads is anywhere near this; a larger one (or an endless
// device such as /dev/zero) is refused instead of read into memory.
inline constexpr size_t kMaxFileSize = 64u * 1024 * 1024;

// Reads the whole file. False (errno kept) when it cannot be opened or read;
// errno EFBIG when it holds more than kMaxFileSize bytes.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Replaces the file whole: a temporary file beside it, fsync, rename, fsync of
// the directory. On failure the old file is untouched and no temporary stays;
// returns 0 or the errno of the failed step.
int ReplaceFileAtomically(const std::string& path, std::string_view contents);

// The same, running beforeReplace once the new content is durable beside the
// file and before it takes the file's place (to keep the old one as a backup).
int ReplaceFileAtomically(const std::string& path, std::string_view contents,
                          const std::function<void()>& beforeReplace);

// Gives the file a second name (a hard link), or moves it there where links
// are not supported; an existing file of that name is replaced. False when
// neither worked. Nothing happens when both names already are the same file.
// A failure leaves the existing file of that name as it was.
bool LinkOrMove(const std::string& from, const std::string& to);

bool IsDirectory(const std::string& path);

// Lines of a text file (CR LF, LF or CR ends). Throws Error("Cannot open file <path>"),
// or Error("File <path> is too large ...") beyond kMaxFileSize.
std::vector<std::string> LoadLines(const std::string& path);

// Writes the lines, each ended by CR LF, replacing the file atomically.
// Throws Error("Cannot create file <path>").
void SaveLines(const std::string& path, const std::vector<std::string>& lines);

// Copies a file over another without asking (atomic replace of the target).
// Throws Error("Cannot open file <from>") or Error("Cannot create file <to>").
void CopyFileReplacing(const std::string& from, const std::string& to);

// The text of an errno, as the platform states it.
std::string ErrorText(int error);

}  // namespace kestrova::platform

namespace kestrova::platform {

// True when this process may create files in the directory.
bool IsWritableDirectory(const std::string& path);

// The value of an environment variable, empty when unset.
std::string EnvironmentValue(const std::string& name);

}  // namespace kestrova::platform
