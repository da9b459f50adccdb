#include "report/engine/files/rm_page_file.h"

#include "report/engine/rm_engine_services.h"

#include "base/private_folder.h"

#include <QDir>
#include <QFile>
#include <QHashFunctions>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pq {

namespace {

constexpr const char* kFilePrefix = "pages-";

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The folder the start-up gave, or empty.
QString ConfiguredFolder()
{
    return TRMEngineServices::Started() ? RMEngineServices().PagesFolder() : QString();
}

} // namespace

QString RMPageFileFolder()
{
    const QString configured = ConfiguredFolder();
    return configured.isEmpty() ? RMPrivateFolderPath() + QStringLiteral("/prepared-pages") : configured;
}

void RMRemoveStalePageFiles(const QString& folderName)
{
    const QString folder = folderName.isEmpty() ? RMPageFileFolder() : folderName;
    struct stat st {};
    // A link, another user's folder or something else in the folder's place is not ours to
    // clean.
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return;
    const QStringList names = QDir(folder).entryList({QString::fromLatin1(kFilePrefix) + QLatin1Char('*')},
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat fst {};
        // The lock is free only when the store that made the file is gone.
        if (::fstat(fd, &fst) == 0 && S_ISREG(fst.st_mode) && fst.st_uid == ::getuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

std::unique_ptr<TRMPageFile> TRMPageFile::Create(const QString& folderName, QString* error)
{
    const QString folder = folderName.isEmpty() ? RMPageFileFolder() : folderName;
    if (folderName.isEmpty() && ConfiguredFolder().isEmpty()) {
        // The default folder lies in the private folder, made first.
        if (!RMPrivateFolder(error))
            return nullptr;
    }
    if (!RMMakePrivateFolder(folder, error))
        return nullptr;
    std::unique_ptr<TRMPageFile> file(new TRMPageFile);
    file->m_file = std::make_unique<QTemporaryFile>(
        folder + QLatin1Char('/') + QString::fromLatin1(kFilePrefix) + QStringLiteral("XXXXXX"));
    // QTemporaryFile makes the file mode 0600 and removes it when it goes.
    if (!file->m_file->open()) {
        if (error)
            *error = QStringLiteral("无法创建临时文件：%1").arg(file->m_file->errorString());
        return nullptr;
    }
    file->m_fd = file->m_file->handle();
    if (file->m_fd < 0 || ::flock(file->m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (error)
            *error = QStringLiteral("无法锁定临时文件“%1”：%2").arg(file->m_file->fileName(), SystemError());
        return nullptr;
    }
    return file;
}

TRMPageFile::~TRMPageFile() = default;

QString TRMPageFile::FileName() const
{
    return m_file ? m_file->fileName() : QString();
}

qint64 TRMPageFile::Place(qint64 offset, qint64 slot, qint64 length)
{
    if (offset >= 0 && length <= slot)
        return offset;
    const qint64 at = m_end;
    m_end += length;
    return at;
}

bool TRMPageFile::Write(qint64 offset, const QByteArray& bytes, QString* error)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    qint64 at = offset;
    while (left > 0) {
        const ssize_t n = ::pwrite(m_fd, data, static_cast<size_t>(left), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = QStringLiteral("无法写入临时文件“%1”：%2").arg(FileName(), n < 0 ? SystemError() : QStringLiteral("磁盘已满"));
            return false;
        }
        data += n;
        left -= n;
        at += n;
    }
    return true;
}

std::optional<QByteArray> TRMPageFile::Read(qint64 offset, qint64 length, QString* error) const
{
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    char* data = bytes.data();
    qint64 left = length;
    qint64 at = offset;
    while (left > 0) {
        const ssize_t n = ::pread(m_fd, data, static_cast<size_t>(left), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = n < 0 ? QStringLiteral("无法读取临时文件“%1”：%2").arg(FileName(), SystemError())
                               : QStringLiteral("临时文件“%1”被截短了").arg(FileName());
            return std::nullopt;
        }
        data += n;
        left -= n;
        at += n;
    }
    return bytes;
}

size_t TRMPageFile::Hash(const QByteArray& bytes)
{
    // Only this process reads the file back: a fixed seed and Qt's fast hash do.
    return qHash(QByteArrayView(bytes), size_t(0x5041474551554c4cULL));
}

} // namespace pq
