#include "base/file_io.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace pq {

namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// An existing path that stat follows to something other than a regular file. Replacing such
// a thing by renaming (as root, /dev/full itself) would be worse than any write error.
bool IsSpecialFile(const QString& fileName)
{
    struct stat st {};
    return ::stat(QFile::encodeName(fileName).constData(), &st) == 0 && !S_ISREG(st.st_mode)
        && !S_ISDIR(st.st_mode);
}

bool WriteStraight(const QString& fileName, const FileWriter& write, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, file.errorString());
    QString reason;
    if (!write(file, reason) || file.error() != QFileDevice::NoError)
        return Fail(error, reason.isEmpty() ? file.errorString() : reason);
    if (!file.flush())
        return Fail(error, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return Fail(error, file.errorString());
    return true;
}

} // namespace

bool WriteFileWhole(const QString& fileName, const FileWriter& write, QString* error)
{
    if (IsSpecialFile(fileName))
        return WriteStraight(fileName, write, error);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, file.errorString());
    QString reason;
    // QSaveFile::commit() does not report an error of the last flush of its write buffer
    // (it counts only errors of write()): flush first and look.
    if (!write(file, reason) || file.error() != QFileDevice::NoError || !file.flush()) {
        const QString text = reason.isEmpty() ? file.errorString() : reason;
        return Fail(error, text); // the file beside the target goes with QSaveFile
    }
    // commit closes and renames; any error on the way keeps the old file.
    if (!file.commit())
        return Fail(error, file.errorString());
    return true;
}

bool WriteFileWhole(const QString& fileName, const QByteArray& data, QString* error)
{
    return WriteFileWhole(
        fileName,
        [&data](QIODevice& device, QString&) { return device.write(data) == data.size(); },
        error);
}

std::optional<QByteArray> ReadFileWhole(const QString& fileName, QString* error, qint64 maxSize)
{
    // Before opening too: opening a pipe waits for a writer that may never come.
    if (IsSpecialFile(fileName)) {
        Fail(error, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(error, file.errorString());
        return std::nullopt;
    }
    // Asked of the open file, so what is checked is what is read.
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0 || !S_ISREG(st.st_mode)) {
        Fail(error, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    const auto tooLarge = [&] {
        Fail(error, QStringLiteral("larger than %1 MiB").arg(maxSize >> 20));
        return std::nullopt;
    };
    if (st.st_size > maxSize)
        return tooLarge();
    // A file that grew while it was read is held to the limit as well.
    QByteArray data = file.readAll();
    if (data.size() > maxSize)
        return tooLarge();
    if (file.error() != QFileDevice::NoError) {
        Fail(error, file.errorString());
        return std::nullopt;
    }
    return data;
}

} // namespace pq
