#pragma once

#include <QString>
#include <cstdint>
#include <sys/stat.h>

namespace platform {

// A regular file opened for reading, with its size and modification time at the open. The open never
// waits: a FIFO, a device or a folder given as the file is refused at once rather than blocking the
// caller until some writer appears. Reading past what is still there, or a file that no longer
// matches what it was when opened, is a failure rather than a crash.
class CReadOnlyFile {
public:
    CReadOnlyFile() = default;
    CReadOnlyFile(const CReadOnlyFile&) = delete;
    CReadOnlyFile& operator=(const CReadOnlyFile&) = delete;
    ~CReadOnlyFile();

    // False when the path names no regular file or it cannot be opened.
    bool Open(const QString& path);
    std::int64_t Size() const { return m_status.st_size; }

    // Reads n bytes at offset (fewer only at the end of the file as it was opened); false when the file
    // is shorter now (errno EIO) or cannot be read (errno says why).
    bool ReadAt(std::int64_t offset, char* buffer, std::int64_t n) const;
    // Whether size and modification time are still those of the open.
    bool Unchanged() const;

private:
    int m_fd = -1;
    struct stat m_status {};
};

} // namespace platform
