// The current user's own folder for files the system keeps between its parts (the grid's
// export data, say): below the user's cache location, mode 0700, so no other local user can
// read a file there or redirect it with a link.
#pragma once

#include <QString>

#include <optional>

namespace pq {

// The folder, created when missing and made private when it is not; nullopt with the
// reason when that cannot be done (a symbolic link in its place, a folder of another user).
std::optional<QString> RMPrivateFolder(QString* error = nullptr);

} // namespace pq
