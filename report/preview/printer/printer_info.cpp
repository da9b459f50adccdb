#include "report/preview/printer/printer_info.h"

#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/printer_backend.h"

namespace pq {

namespace {

int ToInt(const QStringList& list, int i)
{
    if (i < 0 || i >= list.size())
        return 0;
    bool ok = false;
    const int v = list[i].trimmed().toInt(&ok);
    return ok ? v : 0;
}

// A size is usable only when it is a positive number; anything else counts as zero.
bool IsZeroSize(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return !ok || v <= 0;
}

void MoveEntry(QStringList& list, int from, int to) { list.move(from, to); }

} // namespace

TRMPrinterInfo::TRMPrinterInfo(QString driver, QString device, QString port)
    : Driver(std::move(driver)), Device(std::move(device)), Port(std::move(port))
{
}

void TRMPrinterInfo::Fill(TRMPrinterBackend& backend, bool asVirtual)
{
    if (IsFilled)
        return;
    if (asVirtual) {
        FillFromTable();
    } else {
        PaperNames = backend.PaperNames(Device);
        PaperIds.clear();
        for (int id : backend.PaperIds(Device))
            PaperIds << QString::number(id);
        PaperWidths.clear();
        PaperHeights.clear();
        for (const QSize& s : backend.PaperSizes(Device)) {
            PaperWidths << QString::number(s.width());
            PaperHeights << QString::number(s.height());
        }
        BinNames = backend.BinNames(Device);
        Bins.clear();
        for (int b : backend.Bins(Device))
            Bins << QString::number(b);
        NormalizePapers();
        NormalizeBins();
    }
    IsFilled = true;
}

void TRMPrinterInfo::FillFromTable()
{
    PaperNames.clear();
    PaperIds.clear();
    PaperWidths.clear();
    PaperHeights.clear();
    BinNames.clear();
    Bins.clear();
    for (const TPaperInfo& p : PaperInfos) {
        PaperNames << p.NameText();
        PaperIds << QString::number(p.Id);
        PaperWidths << QString::number(p.Width);
        PaperHeights << QString::number(p.Height);
    }
    CustomPaperId = kCustomPaperId;
    // The table knows every paper by id; only its last row, the custom size, is not one.
    FirstExtraPaper = PaperCount() - 1;
}

void TRMPrinterInfo::NormalizePapers()
{
    CustomPaperId = kCustomPaperId;
    const QString customName = CustomPaperName();

    // Names follow the ids.
    if (PaperNames.size() > PaperIds.size()) {
        PaperNames = PaperNames.mid(0, PaperIds.size());
    } else if (PaperNames.size() < PaperIds.size()) {
        PaperNames.clear();
        for (int i = 0; i < PaperIds.size(); ++i) {
            const int id = ToInt(PaperIds, i);
            if (id == kCustomPaperId) {
                PaperNames << customName;
            } else if (const TPaperInfo* p = FindStandardPaper(id)) {
                PaperNames << p->NameText();
            } else if (i < PaperWidths.size() && i < PaperHeights.size()) {
                PaperNames << QStringLiteral("%1 x %2 mm")
                                  .arg(ToInt(PaperWidths, i) / 10)
                                  .arg(ToInt(PaperHeights, i) / 10);
            } else {
                PaperNames << QStringLiteral("Unknown: %1").arg(PaperIds[i]);
            }
        }
    }
    // Sizes reported beyond the ids describe nothing.
    while (PaperWidths.size() > PaperIds.size())
        PaperWidths.removeLast();
    while (PaperHeights.size() > PaperIds.size())
        PaperHeights.removeLast();

    // The custom entry: id 256, else a name that says CUSTOM or USER.
    int custom = PaperIds.indexOf(QString::number(kCustomPaperId));
    if (custom < 0) {
        for (int i = 0; i < PaperNames.size(); ++i) {
            const QString upper = PaperNames[i].toUpper();
            if (upper.contains(QLatin1String("CUSTOM")) || upper.contains(QLatin1String("USER"))) {
                custom = i;
                break;
            }
        }
    }
    if (custom >= 0) {
        PaperNames[custom] = customName;
        CustomPaperId = ToInt(PaperIds, custom);
    } else {
        PaperNames << customName;
        PaperIds << QString::number(kCustomPaperId);
        while (PaperWidths.size() < PaperIds.size() - 1)
            PaperWidths << QString();
        while (PaperHeights.size() < PaperIds.size() - 1)
            PaperHeights << QString();
        PaperWidths << QStringLiteral("0");
        PaperHeights << QStringLiteral("0");
    }

    // Entries without a size take the table's.
    for (int i = 0; i < PaperIds.size(); ++i) {
        const bool noWidth = i >= PaperWidths.size() || PaperWidths[i].trimmed().isEmpty();
        const bool noHeight = i >= PaperHeights.size() || PaperHeights[i].trimmed().isEmpty();
        if (!noWidth && !noHeight)
            continue;
        const TPaperInfo* p = FindStandardPaper(ToInt(PaperIds, i));
        const QString w = QString::number(p ? p->Width : 0);
        const QString h = QString::number(p ? p->Height : 0);
        while (PaperWidths.size() <= i)
            PaperWidths << QString();
        while (PaperHeights.size() <= i)
            PaperHeights << QString();
        PaperWidths[i] = w;
        PaperHeights[i] = h;
    }

    // Papers without a usable size cannot be laid out on; only the custom entry may be 0.
    for (int i = PaperIds.size() - 1; i >= 0; --i) {
        if (PaperNames[i] == customName)
            continue;
        if (IsZeroSize(PaperWidths[i]) || IsZeroSize(PaperHeights[i])) {
            PaperNames.removeAt(i);
            PaperIds.removeAt(i);
            PaperWidths.removeAt(i);
            PaperHeights.removeAt(i);
        }
    }

    custom = PaperNames.indexOf(customName);
    const int last = PaperNames.size() - 1;
    if (custom >= 0 && custom != last) {
        MoveEntry(PaperNames, custom, last);
        MoveEntry(PaperIds, custom, last);
        MoveEntry(PaperWidths, custom, last);
        MoveEntry(PaperHeights, custom, last);
    }

    FirstExtraPaper = last;
    for (const TPaperInfo& p : ExtraPaperInfos) {
        const int at = PaperNames.size() - 1;
        PaperNames.insert(at, p.NameText());
        PaperIds.insert(at, QString::number(p.Id));
        PaperWidths.insert(at, QString::number(p.Width));
        PaperHeights.insert(at, QString::number(p.Height));
    }
}

void TRMPrinterInfo::NormalizeBins()
{
    const qsizetype n = std::min(BinNames.size(), Bins.size());
    BinNames = BinNames.mid(0, n);
    Bins = Bins.mid(0, n);
    if (!BinNames.contains(DefaultBinName())) {
        BinNames.insert(0, DefaultBinName());
        Bins.insert(0, QString::number(kDefaultBin));
    }
}

int TRMPrinterInfo::PaperWidth(int i) const { return ToInt(PaperWidths, i); }
int TRMPrinterInfo::PaperHeight(int i) const { return ToInt(PaperHeights, i); }
int TRMPrinterInfo::PaperId(int i) const { return ToInt(PaperIds, i); }

void TRMPrinterInfo::SetPaperWidth(int i, int width)
{
    if (i >= 0 && i < PaperWidths.size())
        PaperWidths[i] = QString::number(width);
}

void TRMPrinterInfo::SetPaperHeight(int i, int height)
{
    if (i >= 0 && i < PaperHeights.size())
        PaperHeights[i] = QString::number(height);
}

int TRMPrinterInfo::BinAt(int i) const { return ToInt(Bins, i); }

int TRMPrinterInfo::IndexOfPaperId(int id) const
{
    const int i = PaperIds.indexOf(QString::number(id));
    return i >= 0 ? i : PaperCount() - 1;
}

int TRMPrinterInfo::IndexOfBin(int bin) const
{
    const int i = Bins.indexOf(QString::number(bin));
    return i >= 0 ? i : 0;
}

int TRMPrinterInfo::LastPaperId() const
{
    return PaperIds.isEmpty() ? kCustomPaperId : PaperId(PaperCount() - 1);
}

// ---------------------------------------------------------------------------------------

TRMPrinterList::TRMPrinterList(TRMPrinterBackend& backend) : m_backend(backend)
{
    m_entries.emplace_back(DefaultPrinterTitle(),
        std::make_unique<TRMPrinterInfo>(QString(), DefaultPrinterTitle(), QString()));
    m_entries.emplace_back(VirtualPrinterTitle(),
        std::make_unique<TRMPrinterInfo>(QString(), VirtualPrinterTitle(), QString()));
    for (const QString& name : backend.EnumPrinters())
        m_entries.emplace_back(name, std::make_unique<TRMPrinterInfo>(QString(), name, QString()));
    FindDefault();
}

TRMPrinterList::~TRMPrinterList() = default;

QStringList TRMPrinterList::Names() const
{
    QStringList names;
    for (const auto& e : m_entries)
        names << e.first;
    return names;
}

QString TRMPrinterList::Name(int index) const
{
    return index >= 0 && index < Count() ? m_entries[static_cast<size_t>(index)].first : QString();
}

void TRMPrinterList::FindDefault()
{
    m_defaultIndex = 1;
    const QString name = m_backend.DefaultPrinterName();
    if (name.isEmpty())
        return;
    for (int i = 0; i < Count(); ++i) {
        if (m_entries[static_cast<size_t>(i)].second->Device == name) {
            m_defaultIndex = i;
            return;
        }
    }
}

TRMPrinterInfo* TRMPrinterList::GetInfo(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    const int resolved = Resolve(index);
    if (resolved < 0 || resolved >= Count())
        return nullptr;
    TRMPrinterInfo* info = m_entries[static_cast<size_t>(resolved)].second.get();
    if (!info->IsFilled)
        info->Fill(m_backend, resolved == 1);
    return info;
}

} // namespace pq
