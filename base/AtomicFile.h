// Whole-file reads and atomic, locked replacement of a file.
//
// Reads and writes touch regular files only: a FIFO would block, a device would never end or be
// replaced by a plain file. A write to a symbolic link replaces the file the link leads to (in
// that file's folder) and keeps the link.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace orv {

// The bytes of a regular file, or nullopt when it cannot be read or is something else.
std::optional<std::string> ReadWholeFile(const std::string& path);

// The bytes of a regular file of at most maxBytes; nullopt and the reason in error when it is
// missing, unreadable, something else than a regular file or larger.
std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes,
                                           std::string& error);

// Where a write to path lands: path itself, or the end of the chain of symbolic links it starts
// (a link to a missing file leads to that file). nullopt and the reason in error when that is
// neither a regular file nor missing (folder, device, FIFO, socket) or the links loop.
std::optional<std::string> WriteTarget(const std::string& path, std::string& error);

// Which version of a file is there: the file itself (an atomic replacement makes a new one), its
// time of change and its size. Empty when there is none. Two reads that give the same text saw
// the same contents, but for a rewrite in place of the same size within the file system's
// time step.
std::string FileRevision(const std::string& path);

// Durable: the new file is flushed to the disk before the rename and keeps the old file's mode,
// for files that must survive a power cut. Volatile: no flush and the default mode, for files
// rewritten many times a second. Readers never see a partial file either way.
enum class TFileSync { Durable, Volatile };

// Writes a temporary file beside the write target and renames it over the target; false on
// failure (the target is then unchanged and errno tells why).
bool WriteFileAtomic(const std::string& path, const std::string& contents,
                     TFileSync sync = TFileSync::Durable);

// Replaces one file many times a second at little cost: the new contents go into a spare file
// beside the write target (".NAME.spare"), which then trades places with it (renameat2 with
// RENAME_EXCHANGE), so that no file is created or removed per write. A reader that reads the
// file as soon as it has opened it sees one whole version; one that keeps it open across the
// next two writes may see the newer contents. Where the file system cannot exchange, every
// write is a WriteFileAtomic (Volatile). The spare is removed when the writer goes.
class TFrequentFileWriter {
public:
    explicit TFrequentFileWriter(const std::string& path);
    ~TFrequentFileWriter();
    TFrequentFileWriter(const TFrequentFileWriter&) = delete;
    TFrequentFileWriter& operator=(const TFrequentFileWriter&) = delete;

    // False on failure (errno tells why); the file then keeps its last contents.
    bool Write(const std::string& contents);

private:
    bool FillSpare(const std::string& contents);

    std::string path_;   // as given: used by the plain way
    std::string target_; // where the links lead
    std::string spare_;
    bool exchanging_ = true;
};

// Holds an exclusive advisory lock on the write target while change turns its current contents
// (empty when missing) into the new contents, which then replace the file atomically. Writers
// of the same file in any process are serialised, so none of them loses another's change.
bool UpdateFileLocked(const std::string& path,
                      const std::function<std::string(const std::string&)>& change);

} // namespace orv
