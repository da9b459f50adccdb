// Whole files in and out, for every file the system reads or writes: a write is complete or
// leaves the old file as it was; a read refuses what is not a file or cannot be a file of ours.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace pq {

// Fills the device; false with a reason when it cannot.
using FileWriter = std::function<bool(QIODevice& device, QString& error)>;

// A regular file (or a new one) is written beside its place and takes that place only once
// written, flushed and closed, so a failure keeps the file that was there and leaves no part
// of the new one behind. A device or pipe (/dev/stdout) is written straight, with every error
// of writing, flushing and closing counted. False with the reason in error.
bool WriteFileWhole(const QString& fileName, const FileWriter& write, QString* error = nullptr);
bool WriteFileWhole(const QString& fileName, const QByteArray& data, QString* error = nullptr);

// No report, prepared report or data file of ours comes near this.
constexpr qint64 kMaxInputFileSize = qint64(1) << 30;

// The bytes of a regular file of at most maxSize bytes; nullopt with the reason for anything
// else (missing, unreadable, a device such as /dev/zero, a pipe, a folder, too large).
std::optional<QByteArray> ReadFileWhole(const QString& fileName, QString* error = nullptr,
    qint64 maxSize = kMaxInputFileSize);

} // namespace pq
