// The file prepared pages spill to once they pass the store's memory budget: one private
// temporary file per store, in the user's own folder (mode 0700), the file itself mode 0600.
// Its owner holds an exclusive lock on it for as long as it lives and removes it at the end;
// the file of a process that died is removed at the next start of the engine
// (RMRemoveStalePageFiles), and a file still locked is someone's who is alive.
//
// Records are the page streams' bytes, each with its length and a hash kept by the caller,
// so a record that was cut short or changed reads as an error, never as other pages.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QTemporaryFile;

namespace pq {

// Where the page files go: the folder the engine was started with, or "prepared-pages" in
// the user's private folder. Not created here.
QString RMPageFileFolder();

// Removes the page files in folder (RMPageFileFolder() when empty) that no living store
// holds. A folder that is missing, not ours or not a folder is left alone.
void RMRemoveStalePageFiles(const QString& folder = QString());

class TRMPageFile {
public:
    // Creates the file in folder (RMPageFileFolder() when empty); nullptr with the reason
    // when the folder cannot be made private or the file cannot be created and locked.
    static std::unique_ptr<TRMPageFile> Create(const QString& folder, QString* error);
    ~TRMPageFile();
    TRMPageFile(const TRMPageFile&) = delete;
    TRMPageFile& operator=(const TRMPageFile&) = delete;

    QString FileName() const;
    qint64 Size() const { return m_end; }

    // Where a record of length bytes goes: reuse the slot at offset when it is at least
    // that long (a page written again), otherwise the end of the file.
    qint64 Place(qint64 offset, qint64 slot, qint64 length);
    // Writes the bytes at offset; false with the reason when they could not all be written.
    bool Write(qint64 offset, const QByteArray& bytes, QString* error);
    // The record at offset, or nullopt with the reason when the file is shorter.
    std::optional<QByteArray> Read(qint64 offset, qint64 length, QString* error) const;

    // The hash a record is checked against.
    static size_t Hash(const QByteArray& bytes);

private:
    TRMPageFile() = default;

    std::unique_ptr<QTemporaryFile> m_file;
    int m_fd = -1;
    qint64 m_end = 0;
};

} // namespace pq
