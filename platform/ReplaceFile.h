#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <span>

namespace platform {

// Replaces the file's contents with 'bytes'. A regular file (or a new one) is written to a temporary
// file beside it, flushed to disk and renamed over it, so a failed save leaves the old file whole and
// never an empty or half one. A device or pipe is written in place. False when any write, the flush,
// the close or the rename failed; 'error' then says why.
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

} // namespace platform
