#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces the file's contents with 'bytes'. A regular file (or a new one) is written to a temporary
// file beside it, flushed to disk and renamed over it, so a failed save leaves the old file whole and
// never an empty or half one. A device or pipe is written in place. False when any write, the flush,
// the close or the rename failed; 'error' then says why.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace platform
