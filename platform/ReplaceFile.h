#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <span>

namespace platform {

// A file's new contents on their way to it. Begin makes a temporary file beside the file (named
// "<file>.<hex>.tmp", locked while it is written) and the writes go there; Commit flushes it to disk
// and renames it over the file, so that the old file stays whole until the new one is complete.
// Abandon, or destruction before Commit, removes the temporary file and leaves the file as it was.
// A device or pipe cannot be replaced: it is opened and written where it is, when it is this user's or
// the system's (another user's is refused), and a pipe without a reader fails at once. A name that is a link
// is followed to the file it names, unless the link belongs to another user (or is one of a chain that does):
// such a save is refused, so that a link planted in a shared folder never makes a user's save replace a file
// of that user's elsewhere.
class CFileReplacement {
public:
    CFileReplacement() = default;
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // False when no file could be made (folder, permissions, a link of another user's); 'error' says
    // why. Stale temporaries of the same file (left by a save that was killed) are removed first.
    bool Begin(const QString& path, QString* error = nullptr);
    // The open file the new contents go to; -1 before Begin and after Commit or Abandon.
    int Descriptor() const { return m_fd; }
    // Writes the whole buffer; false on a write error (errno says which). Each run of some megabytes
    // written is started on its way to the disk at once.
    bool Write(const void* data, std::size_t size);
    // False when the flush, the close or the rename failed (the temporary file is then removed).
    bool Commit(QString* error = nullptr);
    void Abandon();
    // The path of the file replaced (a link resolved to the file it names).
    QString Target() const { return m_target; }

private:
    QString m_target;
    QByteArray m_file;
    QByteArray m_temporary; // empty when written in place
    int m_fd = -1;
    std::size_t m_written = 0; // bytes written since Begin
    std::size_t m_started = 0; // of those, the ones sent on to the disk
    bool m_keepMode = false;
    unsigned m_mode = 0;
};

// Replaces the file's contents with 'bytes' through a CFileReplacement. False when any write, the
// flush, the close or the rename failed; 'error' then says why.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// One stretch of a file's new contents.
struct SFilePiece {
    const void* data;
    std::size_t size;
};

// The same with the contents in pieces, written one after another, so that large arrays are not
// copied into one buffer first. 'made', when given, says whether a new file was made at all: false
// when the folder or the permissions refused it, true when a write, the flush, the close or the
// rename failed afterwards.
bool ReplaceFileContents(const QString& path, std::span<const SFilePiece> pieces, QString* error = nullptr,
                         bool* made = nullptr);

// Removes the temporary files of replacements in the folder that no save is writing any more (a
// save killed half way leaves its own): files of this user named "<name>.<hex>.tmp" that no one holds
// locked. Only the temporaries of 'fileName' when it is given. The number removed.
int RemoveStaleTemporaries(const QString& folder, const QString& fileName = QString());

} // namespace platform
