#include "base/private_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace pq {

namespace {

QString CacheBase()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base;
}

// Creates folder mode 0700 when missing; refuses a link, a non-folder and another user's
// folder, and makes an own folder private.
std::optional<QString> MakePrivate(const QString& folder, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<QString> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QStringLiteral("无法创建文件夹“%1”。").arg(folder));
    struct stat st {};
    // lstat: a link in the folder's place is refused, not followed.
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(QStringLiteral("“%1”不是文件夹。").arg(folder));
    if (st.st_uid != ::getuid())
        return fail(QStringLiteral("文件夹“%1”属于另一个用户。").arg(folder));
    if ((st.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0)
        return fail(QStringLiteral("无法保护文件夹“%1”。").arg(folder));
    return folder;
}

} // namespace

QString RMPrivateFolderPath()
{
    return CacheBase() + QStringLiteral("/Pagequill");
}

std::optional<QString> RMPrivateFolder(QString* error)
{
    const QString base = CacheBase();
    if (!QDir().mkpath(base)) {
        if (error)
            *error = QStringLiteral("无法创建文件夹“%1”。").arg(base);
        return std::nullopt;
    }
    return MakePrivate(base + QStringLiteral("/Pagequill"), error);
}

std::optional<QString> RMMakePrivateFolder(const QString& folder, QString* error)
{
    return MakePrivate(folder, error);
}

} // namespace pq
