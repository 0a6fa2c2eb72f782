#pragma once

#include <QString>

namespace platform {

// The user's private runtime folder, where single-instance locks and sockets live: a folder of this
// user's own that no one else may enter, in a place no other user can make it first. That is
// $XDG_RUNTIME_DIR when it is such a folder; else "lumora-<host>" in the user's cache folder of the
// home ("~/.cache"), made (0700) when missing, where the home and the cache folder are the user's
// and closed to others' writes. Never the shared temporary folder: another user could make the
// folder there first and so hold it. Empty, with the reason in 'why' when given, when neither is to
// be had. Ends with '/'.
QString PrivateRuntimeFolder(QString* why = nullptr);

} // namespace platform
