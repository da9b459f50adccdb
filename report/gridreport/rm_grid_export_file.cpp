#include "report/gridreport/rm_grid_export_file.h"

#include "base/client_dataset.h"
#include "base/file_io.h"
#include "base/gbk_text.h"

namespace pq {

QStringList RMGridExportLines(const QStringList& captions, const QStringList& fields, ClientDataSet& data)
{
    QStringList lines;
    QStringList heads;
    for (const QString& c : captions)
        heads << c.trimmed();
    lines << heads.join(QLatin1Char(','));
    if (!data.Active())
        return lines;
    QList<int> index;
    QList<bool> masked; // a number shown through a format with "*" is exported as stars too
    for (const QString& f : fields) {
        const int i = data.FieldIndex(f);
        index << i;
        const PacketField* field = i >= 0 ? &data.Field(i) : nullptr;
        masked << (field && field->displayFormat.contains(QLatin1Char('*'))
            && (field->type == Variant::Type::Integer || field->type == Variant::Type::Byte
                || field->type == Variant::Type::Float));
    }
    data.First();
    const int count = data.RecordCount();
    for (int k = 0; k < count; ++k) {
        QString line;
        for (qsizetype n = 0; n < index.size(); ++n) {
            const int i = index.at(n);
            const QString value = masked.at(n) ? QStringLiteral("***.**") : i >= 0 ? data.Text(i).trimmed() : QString();
            line += QStringLiteral(", ") + value;
        }
        lines << line.mid(1);
        if (k + 1 < count)
            data.Next();
    }
    return lines;
}

bool RMWriteGridExportFile(const QStringList& lines, QString* error)
{
    const QString name = RMGridExportFileName(error);
    if (name.isEmpty())
        return false;
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += ToGbk(l) + "\r\n";
    return WriteFileWhole(name, bytes, error);
}

} // namespace pq
