#pragma once

// String id of the message shown when a file was made but not every byte or its close went through
// (a full disk, a lost network share): the file on disk is not the one the user asked for.
inline constexpr int kWriteFailedId = 51540;
