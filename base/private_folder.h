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

// Where the folder is (or would be), without creating or checking anything.
QString RMPrivateFolderPath();

// A folder made private as the private folder is: created mode 0700 when missing (its
// parent must exist), refused when it is a link, no folder or another user's, made 0700 when
// it is an own folder; nullopt with the reason.
std::optional<QString> RMMakePrivateFolder(const QString& folder, QString* error = nullptr);

} // namespace pq
