#include "report/preview/printer/qt_backend.h"

#include "base/rounding.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/pdf_context.h"

#include <QDir>
#include <QFile>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#ifdef PQ_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace pq {

namespace {

struct DevicePaper {
    int Id = 0;
    QString Name;
    QPageSize Size; // invalid for the custom entry
};

// The printer's papers with the codes the tables use. Qt's page size ids carry the same
// codes; a size without one (or a second size with the same code) gets 1000 + its position,
// which stays the same as long as the driver lists its papers in the same order.
QList<DevicePaper> PapersOf(const QString& device)
{
    QList<DevicePaper> out;
    const QPrinterInfo pi = QPrinterInfo::printerInfo(device);
    if (pi.isNull())
        return out;
    QSet<int> used;
    int i = 0;
    for (const QPageSize& ps : pi.supportedPageSizes()) {
        int id = ps.windowsId();
        if (id <= 0 || id == kCustomPaperId || used.contains(id))
            id = 1000 + i;
        used.insert(id);
        out.append({id, ps.name(), ps});
        ++i;
    }
    if (pi.supportsCustomPageSizes())
        out.append({kCustomPaperId, QStringLiteral("Custom"), QPageSize()});
    return out;
}

const DevicePaper* FindPaper(const QList<DevicePaper>& papers, int id)
{
    for (const DevicePaper& p : papers)
        if (p.Id == id && p.Size.isValid())
            return &p;
    return nullptr;
}

struct MediaSource {
    QString Keyword;
    QString Name;
    int Code = 0;
};

struct MediaSources {
    QList<MediaSource> Sources;
    int DefaultCode = 0;
};

MediaSources SourcesOf(const QString& device)
{
    MediaSources out;
#ifdef PQ_HAVE_CUPS
    const QByteArray name = device.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return out;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (ipp_attribute_t* attr = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_SOURCE)) {
            for (int i = 0; i < ippGetCount(attr); ++i) {
                const char* kw = ippGetString(attr, i, nullptr);
                if (!kw)
                    continue;
                const char* label = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_SOURCE, kw);
                const QString keyword = QString::fromUtf8(kw);
                out.Sources.append({keyword, label ? QString::fromUtf8(label) : keyword,
                    BinCodeForMediaSource(keyword, i)});
            }
        }
        if (ipp_attribute_t* def = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_SOURCE)) {
            if (const char* kw = ippGetString(def, 0, nullptr))
                for (const MediaSource& s : out.Sources)
                    if (s.Keyword == QString::fromUtf8(kw))
                        out.DefaultCode = s.Code;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
#else
    Q_UNUSED(device);
#endif
    return out;
}

// The job's "media" option for a page layout: a size the driver knows by its own name, any
// other size as CUPS' custom size of the sheet as it lies. Without it the queue prints every
// job on its default paper, scaled.
QByteArray MediaFor(const QPageLayout& layout)
{
    const QPageSize size = layout.pageSize();
    if (size.id() != QPageSize::Custom && !size.key().isEmpty())
        return size.key().toUtf8();
    const QSizeF mm = layout.fullRect(QPageLayout::Millimeter).size();
    const auto number = [](double v) {
        QByteArray text = QByteArray::number(v, 'f', 1);
        if (text.endsWith(".0"))
            text.chop(2);
        return text;
    };
    return "Custom." + number(mm.width()) + "x" + number(mm.height()) + "mm";
}

// A device job is drawn into a PDF at the device's resolution, with the device's
// unprintable edges as margins, and handed to CUPS as one job when the document ends.
class CupsContext : public TRMPdfContext {
public:
    CupsContext(const QString& device, std::unique_ptr<QPrinter> printer, QList<DevicePaper> papers,
        MediaSources sources, const TRMDevMode& dm)
        : TRMPdfContext(std::nullopt, printer->resolution()), m_device(device),
          m_printer(std::move(printer)), m_papers(std::move(papers)), m_sources(std::move(sources)),
          m_devMode(dm)
    {
        Reset(dm);
    }
    ~CupsContext() override { Drop(); }

    bool Reset(const TRMDevMode& dm) override
    {
        m_devMode = dm;
        return TRMPdfContext::Reset(dm);
    }

    TRMDeviceCaps Caps() const override
    {
        TRMDeviceCaps caps = TRMPdfContext::Caps();
        const QList<QPrinter::ColorMode> modes = QPrinterInfo::printerInfo(m_device).supportedColorModes();
        caps.IsColor = modes.isEmpty() || modes.contains(QPrinter::Color);
        return caps;
    }

    bool StartDoc(const QString& title, const QString& outputFile) override
    {
        Q_UNUSED(outputFile);
#ifndef PQ_HAVE_CUPS
        Q_UNUSED(title);
        return Fail(QStringLiteral("本程序没有 CUPS 支持，无法打印到打印机。"));
#else
        const QByteArray name = m_device.toUtf8();
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
        if (!dest)
            return Fail(QStringLiteral("打印机“%1”已不存在。").arg(m_device));
        const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
        const bool refuses = accepting && qstrcmp(accepting, "false") == 0;
        cupsFreeDests(1, dest);
        if (refuses)
            return Fail(QStringLiteral("打印机“%1”不接受打印作业。").arg(m_device));
        QTemporaryFile tmp(QDir::tempPath() + QStringLiteral("/pagequill-job-XXXXXX.pdf"));
        if (!tmp.open())
            return Fail(QStringLiteral("无法创建临时文件。"));
        tmp.setAutoRemove(false);
        m_spool = tmp.fileName();
        tmp.close();
        m_title = title;
        m_media = Layout() ? MediaFor(*Layout()) : QByteArray();
        SetKeepOpen(false);
        return TRMPdfContext::StartDoc(title, m_spool);
#endif
    }

    bool EndDoc() override
    {
        if (!TRMPdfContext::EndDoc()) {
            Drop();
            return false;
        }
#ifdef PQ_HAVE_CUPS
        cups_option_t* options = nullptr;
        int n = 0;
        n = cupsAddOption("copies", QByteArray::number(std::max(1, m_devMode.Copies)).constData(), n, &options);
        if (m_devMode.Fields & TRMDevMode::fmDefaultSource)
            for (const MediaSource& s : m_sources.Sources)
                if (s.Code == m_devMode.DefaultSource)
                    n = cupsAddOption(CUPS_MEDIA_SOURCE, s.Keyword.toUtf8().constData(), n, &options);
        n = cupsAddOption(CUPS_SIDES, CUPS_SIDES_ONE_SIDED, n, &options);
        if (!m_media.isEmpty())
            n = cupsAddOption(CUPS_MEDIA, m_media.constData(), n, &options);
        const QByteArray name = m_device.toUtf8();
        const QByteArray file = QFile::encodeName(m_spool);
        const QByteArray title = m_title.toUtf8();
        const int job = cupsPrintFile(name.constData(), file.constData(), title.constData(), n, options);
        cupsFreeOptions(n, options);
        const QString error = QString::fromUtf8(cupsLastErrorString());
        Drop();
        if (job <= 0)
            return Fail(QStringLiteral("打印作业没有被接受：%1").arg(error));
        return true;
#else
        Drop();
        return Fail(QStringLiteral("本程序没有 CUPS 支持，无法打印到打印机。"));
#endif
    }

    bool AbortDoc() override
    {
        TRMPdfContext::AbortDoc();
        Drop();
        return true;
    }

protected:
    std::optional<QPageLayout> LayoutFor(const TRMDevMode& dm) const override
    {
        const bool hasSize = (dm.Fields & TRMDevMode::fmPaperWidth) && (dm.Fields & TRMDevMode::fmPaperLength)
            && dm.PaperWidth > 0 && dm.PaperLength > 0;
        const DevicePaper* paper = FindPaper(m_papers, dm.PaperSize);
        QPageSize size;
        auto orientation = dm.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
        if (std::optional<QPageLayout> form = FormLayoutForDevMode(dm)) {
            size = form->pageSize();
            orientation = form->orientation();
        } else if (hasSize && (dm.PaperSize == kCustomPaperId || !paper))
            size = QPageSize(QSizeF(dm.PaperWidth / 10.0, dm.PaperLength / 10.0), QPageSize::Millimeter,
                QString(), QPageSize::ExactMatch);
        else if (paper)
            size = paper->Size;
        else if (std::optional<QPageLayout> l = PageLayoutForDevMode(dm))
            size = l->pageSize();
        if (!size.isValid())
            return std::nullopt;
        m_printer->setPageSize(size);
        m_printer->setPageOrientation(orientation);
        const QPageLayout device = m_printer->pageLayout();
        const QMarginsF edges = device.minimumMargins();
        return QPageLayout(size, orientation, edges, device.units(), edges);
    }

private:
    void Drop()
    {
        if (!m_spool.isEmpty())
            QFile::remove(m_spool);
        m_spool.clear();
    }

    QString m_device;
    std::unique_ptr<QPrinter> m_printer;
    QList<DevicePaper> m_papers;
    MediaSources m_sources;
    TRMDevMode m_devMode;
    QString m_spool;
    QString m_title;
    QByteArray m_media; // the paper of the job's first page
};

} // namespace

int BinCodeForMediaSource(const QString& keyword, int position)
{
    static const QList<std::pair<const char*, int>> codes = {
        {"top", 1}, {"upper", 1}, {"main", 1}, {"tray-1", 1},
        {"bottom", 2}, {"lower", 2}, {"tray-2", 2},
        {"middle", 3}, {"tray-3", 3},
        {"manual", 4}, {"by-pass-tray", 4}, {"bypass-tray", 4},
        {"envelope", 5},
        {"auto", 7},
        {"tractor", 8},
        {"large-capacity", 11},
        {"cassette", 14},
    };
    const QString k = keyword.trimmed().toLower();
    for (const auto& [kw, code] : codes)
        if (k == QLatin1String(kw))
            return code;
    return 256 + std::max(0, position);
}

QStringList TRMQtPrinterBackend::EnumPrinters() { return QPrinterInfo::availablePrinterNames(); }

QString TRMQtPrinterBackend::DefaultPrinterName() { return QPrinterInfo::defaultPrinterName(); }

QStringList TRMQtPrinterBackend::PaperNames(const QString& device)
{
    QStringList names;
    for (const DevicePaper& p : PapersOf(device))
        names << p.Name;
    return names;
}

QList<int> TRMQtPrinterBackend::PaperIds(const QString& device)
{
    QList<int> ids;
    for (const DevicePaper& p : PapersOf(device))
        ids << p.Id;
    return ids;
}

QList<QSize> TRMQtPrinterBackend::PaperSizes(const QString& device)
{
    QList<QSize> sizes;
    for (const DevicePaper& p : PapersOf(device)) {
        if (!p.Size.isValid()) {
            sizes << QSize(0, 0);
            continue;
        }
        const QSizeF mm = p.Size.size(QPageSize::Millimeter);
        sizes << QSize(static_cast<int>(Round(mm.width() * 10)), static_cast<int>(Round(mm.height() * 10)));
    }
    return sizes;
}

QStringList TRMQtPrinterBackend::BinNames(const QString& device)
{
    QStringList names;
    for (const MediaSource& s : SourcesOf(device).Sources)
        names << s.Name;
    return names;
}

QList<int> TRMQtPrinterBackend::Bins(const QString& device)
{
    QList<int> bins;
    for (const MediaSource& s : SourcesOf(device).Sources)
        bins << s.Code;
    return bins;
}

bool TRMQtPrinterBackend::OpenPrinter(const QString& device)
{
    return !QPrinterInfo::printerInfo(device).isNull();
}

void TRMQtPrinterBackend::ClosePrinter(const QString&) {}

std::optional<TRMDevMode> TRMQtPrinterBackend::DocumentProperties(const QString& device)
{
    const QPrinterInfo pi = QPrinterInfo::printerInfo(device);
    if (pi.isNull())
        return std::nullopt;
    TRMDevMode dm;
    dm.Fields = TRMDevMode::fmOrientation | TRMDevMode::fmPaperSize | TRMDevMode::fmCopies
        | TRMDevMode::fmDuplex;
    const QPageSize def = pi.defaultPageSize();
    dm.PaperSize = kA4PaperId;
    bool found = false;
    for (const DevicePaper& p : PapersOf(device)) {
        if (p.Size.isValid() && def.isValid() && p.Size.isEquivalentTo(def)) {
            dm.PaperSize = p.Id;
            found = true;
            break;
        }
    }
    if (!found && def.isValid()) {
        const QSizeF mm = def.size(QPageSize::Millimeter);
        dm.PaperSize = kCustomPaperId;
        dm.PaperWidth = static_cast<int>(Round(mm.width() * 10));
        dm.PaperLength = static_cast<int>(Round(mm.height() * 10));
        dm.Fields |= TRMDevMode::fmPaperWidth | TRMDevMode::fmPaperLength;
    }
    dm.Orientation = 1;
    dm.Copies = 1;
    dm.Duplex = 1;
    dm.DefaultSource = SourcesOf(device).DefaultCode;
    return dm;
}

bool TRMQtPrinterBackend::PropertiesDialog(const QString& device, TRMDevMode& dm, QWidget* owner)
{
    const QPrinterInfo pi = QPrinterInfo::printerInfo(device);
    if (pi.isNull())
        return false;
    QPrinter printer(pi, QPrinter::HighResolution);
    if (const DevicePaper* p = FindPaper(PapersOf(device), dm.PaperSize))
        printer.setPageSize(p->Size);
    printer.setPageOrientation(dm.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPageSetupDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QPageLayout layout = printer.pageLayout();
    dm.Orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    bool found = false;
    for (const DevicePaper& p : PapersOf(device)) {
        if (p.Size.isValid() && p.Size.isEquivalentTo(layout.pageSize())) {
            dm.PaperSize = p.Id;
            dm.Fields &= ~(TRMDevMode::fmPaperWidth | TRMDevMode::fmPaperLength);
            found = true;
            break;
        }
    }
    if (!found) {
        const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
        dm.PaperSize = kCustomPaperId;
        dm.PaperWidth = static_cast<int>(Round(mm.width() * 10));
        dm.PaperLength = static_cast<int>(Round(mm.height() * 10));
        dm.Fields |= TRMDevMode::fmPaperWidth | TRMDevMode::fmPaperLength;
    }
    return true;
}

std::unique_ptr<TRMPrintContext> TRMQtPrinterBackend::CreateContext(
    const QString& device, const TRMDevMode& devMode, bool forPrinting)
{
    Q_UNUSED(forPrinting); // the same context answers questions and runs the job
    const QPrinterInfo pi = QPrinterInfo::printerInfo(device);
    if (pi.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(pi, QPrinter::HighResolution);
    if (!printer->isValid() || printer->resolution() <= 0)
        return nullptr;
    auto ctx = std::make_unique<CupsContext>(device, std::move(printer), PapersOf(device), SourcesOf(device), devMode);
    if (ctx->Caps().PhysicalWidth <= 0)
        return nullptr;
    return ctx;
}

bool TRMQtPrinterBackend::EnsureForm(const QString&, const QString&, int widthMicrons, int heightMicrons)
{
    // CUPS takes a custom size with each job; there is no form to register.
    return widthMicrons > 0 && heightMicrons > 0;
}

namespace {

// The printer's state as a status code of the print dialog's table.
unsigned StatusCode(QPrinter::PrinterState state)
{
    switch (state) {
    case QPrinter::Active: return 0x400;  // printing
    case QPrinter::Aborted: return 0x1;   // stopped: paused
    case QPrinter::Error: return 0x2;
    default: return 0;
    }
}

#ifdef PQ_HAVE_CUPS
// The first printer-state reason with a code of the table; 0 for none.
unsigned ReasonCode(const QString& reasons)
{
    static const std::pair<const char*, unsigned> kReasons[] = {
        {"media-jam", 0x8}, {"media-empty", 0x10}, {"media-needed", 0x10}, {"paused", 0x1},
        {"offline", 0x80}, {"door-open", 0x400000}, {"cover-open", 0x400000},
        {"toner-low", 0x20000}, {"toner-empty", 0x40000}, {"marker-supply-empty", 0x40000},
        {"output-area-full", 0x800}, {"spool-area-full", 0x200000}, {"connecting-to-device", 0x8000},
    };
    for (const QString& reason : reasons.split(QLatin1Char(','), Qt::SkipEmptyParts))
        for (const auto& [name, code] : kReasons)
            if (reason.trimmed().startsWith(QLatin1String(name)))
                return code;
    return 0;
}
#endif

} // namespace

std::optional<TRMPrinterStatus> TRMQtPrinterBackend::GetPrinter(const QString& device)
{
    const QPrinterInfo pi = QPrinterInfo::printerInfo(device);
    if (pi.isNull())
        return std::nullopt;
    TRMPrinterStatus status;
    status.Driver = pi.makeAndModel();
    status.Port = pi.location();
    status.Comment = pi.description();
    status.Status = StatusCode(pi.state());
#ifdef PQ_HAVE_CUPS
    // What CUPS says beyond the state: a queue that refuses jobs, and the reasons a printer
    // gives (paper out, toner, a door), as the codes the dialog words.
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, device.toUtf8().constData(), nullptr)) {
        const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
        const char* reasons = cupsGetOption("printer-state-reasons", dest->num_options, dest->options);
        if (reasons)
            if (const unsigned code = ReasonCode(QString::fromUtf8(reasons)))
                status.Status = code;
        if (accepting && qstrcmp(accepting, "false") == 0)
            status.Status = 0x1000;
        cupsFreeDests(1, dest);
    }
    cups_job_t* jobs = nullptr;
    const QByteArray name = device.toUtf8();
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    status.Jobs = std::max(0, n);
    cupsFreeJobs(n, jobs);
#endif
    return status;
}

} // namespace pq
