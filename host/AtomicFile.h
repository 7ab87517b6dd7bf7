// Whole-file reads and atomic, locked replacement of a file.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace orv {

// The file's bytes, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Durable: the new file is flushed to the disk before the rename and keeps the old file's mode,
// for files that must survive a power cut. Volatile: no flush and the default mode, for files
// rewritten many times a second. Readers never see a partial file either way.
enum class TFileSync { Durable, Volatile };

// Writes a temporary file beside path and renames it over path; false on failure (path is then
// unchanged).
bool WriteFileAtomic(const std::string& path, const std::string& contents,
                     TFileSync sync = TFileSync::Durable);

// Holds an exclusive advisory lock on path while change turns its current contents (empty when
// missing) into the new contents, which then replace the file atomically. Writers of the same
// file in any process are serialised, so none of them loses another's change.
bool UpdateFileLocked(const std::string& path,
                      const std::function<std::string(const std::string&)>& change);

} // namespace orv
