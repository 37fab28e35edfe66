#pragma once

#include <string>
#include <string_view>

#include "core/error.h"

// Saving the log editor's text with one backup generation.
namespace kestrova::review {

// The backup of a file: its extension replaced by ".BAK", or ".BAK" added when
// the name has none ("Report.log" -> "Report.BAK", "flight" -> "flight.BAK").
// A leading dot (a hidden file's name) is not an extension.
std::string BackupFileName(const std::string& path);

// Writes the text to the file, keeping its previous content as the backup and
// replacing any older backup. The new content is made durable beside the file
// before anything moves, so the file always holds a whole version (old or new)
// and a failure leaves the previous content either in place or under the
// backup name. When there is no previous file, an existing backup stays.
// Throws Error("Cannot create file <path>") when the new content cannot be
// written or put in place.
void SaveWithBackup(const std::string& path, std::string_view contents);

// Error("Cannot create file <path>").
Error CannotCreateFile(std::string_view path);

}  // namespace kestrova::review
