#include "report/engine/files/rm_report_file.h"

#include "report/engine/files/rm_file_messages.h"
#include "report/engine/files/rm_stream.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_view_factory.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_report.h"

#include "base/file_io.h"
#include "base/message_box.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/printer.h"

#include <optional>

namespace pq {

namespace {

enum : std::uint8_t {
    kRecordDictionary = 252,
    kRecordEnd = 253,
    kRecordOldDictionary = 254,
    kRecordPage = 255,
};

const QString kDefaultPrinterName = QStringLiteral("Default Printer");
const QString kVirtualPrinterName = QStringLiteral("Virtual Printer");

// Paper sizes a page may carry, thousandths of a millimetre: up to 100 m. Margins and the
// column gap stay within 16 m and columns within 1000, so the page's limits and column
// widths cannot overflow.
constexpr int kMaxPaperThousandths = 100'000'000;
constexpr int kMaxMarginThousandths = 1 << 24;
constexpr int kMaxPageColumns = 1000;

int Margin(TRMReader& r)
{
    const int v = r.ReadInt();
    if (v < -kMaxMarginThousandths || v > kMaxMarginThousandths)
        throw TRMStreamError("page margin out of range");
    return v;
}

QString MagicText(const char* magic)
{
    return QString::fromLatin1(magic) + QChar(26);
}

// ---- design page record ----

void WritePage(TRMWriter& w, const TRMPage& p)
{
    w.WriteByte(static_cast<std::uint8_t>(p.Type));
    w.WriteString(p.Caption);
    w.WriteString(QString()); // the second descriptive text has no use in this system
    w.WriteInt(p.Left);
    w.WriteInt(p.Top);
    w.WriteInt(p.Width);
    w.WriteInt(p.Height);
    w.WriteUInt(p.Color);
    w.WriteByte(static_cast<std::uint8_t>(p.BorderStyle));
    w.WriteByte(static_cast<std::uint8_t>(p.Position));
    w.WriteInt(p.PageSize);
    w.WriteInt(p.PrnWidth);
    w.WriteInt(p.PrnHeight);
    w.WriteInt(p.LeftMargin);
    w.WriteInt(p.TopMargin);
    w.WriteInt(p.RightMargin);
    w.WriteInt(p.BottomMargin);
    w.WriteByte(static_cast<std::uint8_t>(p.Orientation));
    w.WriteBool16(p.PrintToPrevPage);
    w.WriteInt(p.Columns);
    w.WriteInt(p.ColumnGap);
    w.WriteInt(p.PageBin);
    w.WriteStringList(p.Script);
    RMWritePicture(w, p.BackPicture, false, 0);
    w.WriteInt(p.BackGroundLeft);
    w.WriteInt(p.BackGroundTop);
    w.WriteInt(p.BackGroundWidth);
    w.WriteInt(p.BackGroundHeight);
    w.WriteByte(p.AutoHCenter);
}

void ReadPage(TRMReader& r, TRMPage& p, const TRMStreamVersion& v)
{
    p.Type = r.ReadByte() == ptDialog ? ptDialog : ptReport;
    p.Caption = r.ReadString(v);
    r.ReadString(v);
    p.Left = r.ReadInt();
    p.Top = r.ReadInt();
    p.Width = r.ReadInt();
    p.Height = r.ReadInt();
    p.Color = r.ReadUInt();
    p.BorderStyle = r.ReadByte();
    p.Position = r.ReadByte();
    const int size = r.ReadInt();
    const int width = r.ReadInt();
    const int height = r.ReadInt();
    if (width <= 0 || height <= 0 || width > kMaxPaperThousandths || height > kMaxPaperThousandths)
        throw TRMStreamError("page with an impossible paper size");
    p.LeftMargin = Margin(r);
    p.TopMargin = Margin(r);
    p.RightMargin = Margin(r);
    p.BottomMargin = Margin(r);
    const int orientation = r.ReadByte();
    p.PrintToPrevPage = r.ReadBool16();
    const int columns = r.ReadInt();
    if (columns > kMaxPageColumns)
        throw TRMStreamError("page columns out of range");
    p.ColumnGap = Margin(r);
    const int bin = r.ReadInt();
    p.ChangePaper(size, width / 100, height / 100, orientation, bin);
    // Keep the exact size: ChangePaper works in tenths.
    p.PrnWidth = width;
    p.PrnHeight = height;
    p.SetColumns(columns);
    p.Script = r.ReadStringList(v);
    RMReadPicture(r, p.BackPicture, false, nullptr);
    p.BackGroundLeft = r.ReadInt();
    p.BackGroundTop = r.ReadInt();
    p.BackGroundWidth = r.ReadInt();
    p.BackGroundHeight = r.ReadInt();
    p.AutoHCenter = r.ReadByte();
}

// ---- data dictionary ----

QString AliasText(const TRMDataDictionary::TFieldAlias& a)
{
    return a.DataSet.isEmpty() ? a.Field : a.DataSet + QLatin1Char('.') + a.Field;
}

void WritePairs(TRMWriter& w, const std::vector<std::pair<QString, QString>>& pairs)
{
    w.WriteInt(static_cast<std::int32_t>(pairs.size()));
    for (const auto& [name, value] : pairs) {
        w.WriteString(name);
        w.WriteString(value);
    }
}

void WriteDictionary(TRMWriter& w, TRMReport& report)
{
    TRMDataDictionary& d = report.Dictionary();
    w.WriteByte(kRecordDictionary);
    w.WriteWord(1);
    std::vector<std::pair<QString, QString>> vars;
    TRMVariables& variables = d.Variables();
    for (int i = 0; i < variables.Count(); ++i)
        vars.emplace_back(variables.Name(i), PropText(variables.Value(i)));
    WritePairs(w, vars);
    std::vector<std::pair<QString, QString>> aliases;
    for (const auto& [alias, target] : d.FieldAliases())
        aliases.emplace_back(alias, AliasText(target));
    WritePairs(w, aliases);
    WritePairs(w, d.ExtraList);
}

std::vector<std::pair<QString, QString>> ReadPairs(TRMReader& r, const TRMStreamVersion& v)
{
    // A pair takes at least two empty strings: 3 bytes each in the current layout.
    const int count = r.ReadCount(v.ZeroTerminatedText() ? 2 : 6);
    std::vector<std::pair<QString, QString>> pairs;
    pairs.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name = r.ReadString(v);
        QString value = r.ReadString(v);
        pairs.emplace_back(std::move(name), std::move(value));
    }
    return pairs;
}

// 252: a 16-bit 1 and three lists; 254 (older): the variables and the aliases only.
void ReadDictionary(TRMReader& r, TRMDataDictionary& d, const TRMStreamVersion& v, bool oldLayout)
{
    if (!oldLayout)
        r.ReadWord();
    const auto vars = ReadPairs(r, v);
    const auto aliases = ReadPairs(r, v);
    d.Clear();
    for (const auto& [name, value] : vars)
        d.Variables().SetVariable(name, Variant::FromString(value));
    for (const auto& [alias, target] : aliases) {
        // The field follows the last "." outside double quotes: ds."f.x" names field f.x.
        qsizetype dot = -1;
        bool quoted = false;
        for (qsizetype i = 0; i < target.size(); ++i) {
            if (target[i] == QLatin1Char('"'))
                quoted = !quoted;
            else if (target[i] == QLatin1Char('.') && !quoted)
                dot = i;
        }
        if (dot < 0)
            d.SetFieldAlias(alias, QString(), target);
        else
            d.SetFieldAlias(alias, target.left(dot), target.mid(dot + 1));
    }
    if (!oldLayout)
        d.ExtraList = ReadPairs(r, v);
}

void CopyDictionary(TRMDataDictionary& from, TRMDataDictionary& to)
{
    to.Clear();
    for (int i = 0; i < from.Variables().Count(); ++i)
        to.Variables().SetVariable(from.Variables().Name(i), from.Variables().Value(i));
    for (const auto& [alias, target] : from.FieldAliases())
        to.SetFieldAlias(alias, target.DataSet, target.Field);
    to.ExtraList = from.ExtraList;
}

// Class names older files carry for classes that have another name now.
QString CurrentClassName(const QString& stored, int& typ)
{
    const QString upper = stored.toUpper();
    if (upper == QLatin1String("TRMBDELOOKUPCONTROL") || upper == QLatin1String("TRMIBXLOOKUPCONTROL"))
        return QStringLiteral("TRMDBLookupControl");
    if (upper == QLatin1String("TRMFRAMEDMEMOVIEW")) {
        typ = gtMemo;
        return {};
    }
    return stored;
}

bool IsFramedMemoClass(const QString& stored)
{
    const QString upper = stored.toUpper();
    return upper == QLatin1String("TFRFRAMEDMEMOVIEW") || upper == QLatin1String("TRMFRAMEDMEMOVIEW");
}

// Everything the header and the records carry, read before anything is committed.
struct TParsed {
    int Version = 0;
    bool PrintBackColor = false;
    int PrintOffsetTop = 0;
    int PrintOffsetLeft = 0;
    std::uint8_t PrintPagePerPage = 0;
    bool HavePrintBackColor = false, HaveOffsets = false, HavePagePerPage = false;
    TRMReportInfo Info;
    bool HaveInfo = false;
    bool taoda = false;
    bool DoublePass = false;
    QString Printer;
};

class TReportLoader {
public:
    TReportLoader(TRMReport& target, const QByteArray& data)
        : m_target(target)
        , m_r(data)
    {
    }

    TRMLoadResult Run();

private:
    void ReadHeader();
    void ReadBody();
    void ReadView(int typ);
    void Commit();

    TRMReport& m_target;
    TRMReader m_r;
    TRMStreamVersion m_v;
    int m_sub = 0, m_subSub = 0;
    TParsed m_p;
    TRMReport m_scratch;
    TRMLoadResult m_result;
};

TRMLoadResult TReportLoader::Run()
{
    RMRegisterStandardAddIns();
    RMResetMissingClasses();
    try {
        ReadHeader();
        if (m_result.Status != TRMLoadStatus::Loaded)
            return m_result;
        ReadBody();
    } catch (const TRMStreamError& e) {
        m_result.Status = TRMLoadStatus::Damaged;
        m_result.ErrorText = QString::fromUtf8(e.what());
        return m_result;
    } catch (const TRMClassNotFound& e) {
        // Only files without end positions get here: the rest of the stream is lost.
        m_result.Status = TRMLoadStatus::Unsupported;
        m_result.ErrorText = e.Missing();
        return m_result;
    } catch (const std::exception& e) {
        m_result.Status = TRMLoadStatus::Damaged;
        m_result.ErrorText = QString::fromUtf8(e.what());
        return m_result;
    }
    Commit();
    RMResetMissingClasses();
    return m_result;
}

void TReportLoader::ReadHeader()
{
    int version = m_r.ReadByte();
    if (version <= 20) {
        // No header: the stream starts with the report itself.
        version = 21;
        m_r.Seek(0);
    } else if (version >= 36) {
        m_sub = m_r.ReadByte();
        m_subSub = m_r.ReadByte();
    }
    m_v.Version = version;
    m_v.Combined = version * 100 + m_sub * 10 + m_subSub;
    m_p.Version = version;

    if (m_v.Combined > 4101) {
        QString magic;
        try {
            magic = m_r.ReadString(m_v);
        } catch (const TRMStreamError&) {
            // No magic can even be read: this is no report file at all.
        }
        if (magic != MagicText(kReportFileMagic)) {
            m_result.Status = TRMLoadStatus::NotReportFile;
            m_result.ErrorText = QString::fromLatin1(kNotReportFileText);
            return;
        }
    }
    if (m_v.Combined > 4003) {
        m_p.PrintBackColor = m_r.ReadByte() != 0;
        m_p.HavePrintBackColor = true;
    }
    if (m_v.Combined > 4099) {
        m_p.PrintOffsetTop = m_r.ReadInt();
        m_p.PrintOffsetLeft = m_r.ReadInt();
        m_p.HaveOffsets = true;
    }
    if (m_subSub > 10) {
        m_p.PrintPagePerPage = m_r.ReadByte();
        m_p.HavePagePerPage = true;
    }
    if (version > kRMFormatVersion) {
        m_result.Status = TRMLoadStatus::Unsupported;
        m_result.ErrorText = QStringLiteral("format version %1 is newer than this system").arg(version);
    }
}

void TReportLoader::ReadBody()
{
    if (m_v.Combined >= 4002) {
        m_p.Info.Title = m_r.ReadString(m_v);
        m_p.Info.Author = m_r.ReadString(m_v);
        m_p.Info.Company = m_r.ReadString(m_v);
        m_p.Info.CopyRight = m_r.ReadString(m_v);
        m_p.Info.Comment = m_r.ReadString(m_v);
        m_p.HaveInfo = true;
    }
    if (m_v.Version >= 32)
        m_r.ReadByte();
    if (m_v.Version >= 35)
        m_p.taoda = m_r.ReadByte() != 0;
    if (m_v.Combined < 4101)
        m_r.ReadWord();
    m_p.DoublePass = m_r.ReadBool16();
    m_p.Printer = m_r.ReadString(m_v);

    while (!m_r.AtEnd()) {
        const int code = m_r.ReadByte();
        if (code == kRecordEnd)
            break;
        if (code == kRecordPage) {
            TRMPage* page = m_scratch.Pages.Add(kA4PaperId, 2100, 2970, poPortrait, -1);
            ReadPage(m_r, *page, m_v);
        } else if (code == kRecordDictionary || code == kRecordOldDictionary) {
            ReadDictionary(m_r, m_scratch.Dictionary(), m_v, code == kRecordOldDictionary);
        } else if (code > gtAddIn) {
            throw TRMStreamError("unknown record code");
        } else {
            ReadView(code);
        }
    }

    // Bounds of old files were in tenths of a millimetre.
    if (m_v.Version < 32 || m_v.Combined < 3810) {
        for (int i = 0; i < m_scratch.Pages.Count(); ++i) {
            TRMPage* page = m_scratch.Pages[i];
            if (page->Type == ptReport)
                for (auto& view : page->Objects)
                    RMConvertOldBounds(*view);
        }
    }
    for (int i = 0; i < m_scratch.Pages.Count(); ++i)
        for (auto& view : m_scratch.Pages[i]->Objects)
            if (auto* sub = dynamic_cast<TRMSubReportView*>(view.get());
                sub && sub->SubPage >= 0 && sub->SubPage < m_scratch.Pages.Count())
                m_scratch.Pages[sub->SubPage]->IsSubReport = true;
}

void TReportLoader::ReadView(int typ)
{
    QString stored;
    if (typ == gtAddIn)
        stored = m_r.ReadString(m_v);
    const QString className = CurrentClassName(stored, typ);
    const int pageIndex = m_r.ReadByte();
    const bool hasEnd = m_v.Version >= 29;
    qint64 end = -1;
    if (hasEnd) {
        end = m_r.ReadInt();
        m_r.CheckEndPosition(end);
    }
    if (pageIndex >= m_scratch.Pages.Count())
        throw TRMStreamError("view on a page the file does not have");
    TRMPage* page = m_scratch.Pages[pageIndex];

    const QString label = typ == gtAddIn ? stored : QStringLiteral("<type %1>").arg(typ);
    std::unique_ptr<TRMView> view;
    try {
        view = RMCreateObject(typ, className);
        if (!view) {
            // Codes 6 and 9 name no class.
            if (!hasEnd)
                throw TRMStreamError("view of an empty type code without an end position");
            m_result.Skipped.append(label);
            m_r.Seek(end);
            return;
        }
        RMLoadView(m_r, *view, m_v);
        if (IsFramedMemoClass(stored))
            m_r.Skip(8);
        if (hasEnd && m_r.Position() > end)
            throw TRMStreamError("view record runs past its end position");
    } catch (const TRMClassNotFound&) {
        if (!hasEnd)
            throw;
        m_result.Skipped.append(stored);
        m_r.Seek(end);
        return;
    } catch (const TRMStreamError&) {
        // Files with end positions lose only this view; older ones cannot go on.
        if (!hasEnd)
            throw;
        m_result.Skipped.append(label);
        m_r.Seek(end);
        return;
    }
    const QString name = view->Name;
    view->Name.clear();
    TRMView* added = page->AddObject(std::move(view));
    // Through the property, so add-ins see their name arrive.
    added->SetPropValue(QStringLiteral("Name"), Variant::FromString(name));
    if (hasEnd)
        m_r.Seek(end);
}

void TReportLoader::Commit()
{
    TRMReport& t = m_target;
    t.Pages.Swap(m_scratch.Pages);
    if (m_p.HavePrintBackColor)
        t.PrintBackColor = m_p.PrintBackColor;
    if (m_p.HaveOffsets) {
        t.PrintOffsetTop = m_p.PrintOffsetTop;
        t.PrintOffsetLeft = m_p.PrintOffsetLeft;
    }
    if (m_p.HavePagePerPage)
        t.PrintPagePerPage = m_p.PrintPagePerPage;
    if (m_p.HaveInfo)
        t.ReportInfo = m_p.Info;
    if (m_p.Version >= 35)
        t.taoda = m_p.taoda;
    t.DoublePass = m_p.DoublePass;
    CopyDictionary(m_scratch.Dictionary(), t.Dictionary());
    RMSelectReportPrinter(t, m_p.Printer);
    t.LoadReportSetting();
}

void ShowLoadMessages(const TRMLoadResult& result, QWidget* owner)
{
    RMShowLoadMessages(result, res::kNotReportFile, owner);
}

} // namespace

// ---- printer names ----

QString RMReportPrinterFileName(const TRMReport& report)
{
    const QString& name = report.PrinterName;
    if (name.isEmpty() || name == DefaultPrinterTitle())
        return kDefaultPrinterName;
    if (name == VirtualPrinterTitle())
        return kVirtualPrinterName;
    return GetPrinterList().Names().contains(name) ? name : kDefaultPrinterName;
}

void RMSelectReportPrinter(TRMReport& report, const QString& fileName)
{
    int index = 0;
    QString name;
    if (fileName == kVirtualPrinterName || fileName == VirtualPrinterTitle()) {
        index = 1;
        name = VirtualPrinterTitle();
    } else if (!fileName.isEmpty() && fileName != kDefaultPrinterName && fileName != DefaultPrinterTitle()) {
        const QStringList names = GetPrinterList().Names();
        const qsizetype i = names.indexOf(fileName);
        if (i >= 2) {
            index = static_cast<int>(i);
            name = fileName;
        }
    }
    report.PrinterName = name;
    GetReportPrinter().SetSelectedPrinter(index);
}

// ---- saving ----

QByteArray RMSaveReport(TRMReport& report)
{
    if (report.Pages.Count() > 256)
        throw TRMStreamError("a report file addresses at most 256 pages");
    TRMWriter w;
    w.WriteByte(kRMFormatVersion);
    w.WriteByte(kRMReportSubVersion);
    w.WriteByte(kRMReportSubSubVersion);
    w.WriteString(MagicText(kReportFileMagic));
    w.WriteByte(report.PrintBackColor ? 1 : 0);
    w.WriteInt(report.PrintOffsetTop);
    w.WriteInt(report.PrintOffsetLeft);
    w.WriteByte(report.PrintPagePerPage ? 1 : 0);
    const TRMReportInfo& info = report.ReportInfo;
    w.WriteString(info.Title);
    w.WriteString(info.Author);
    w.WriteString(info.Company);
    w.WriteString(info.CopyRight);
    w.WriteString(info.Comment);
    w.WriteByte(0);
    w.WriteByte(report.taoda ? 1 : 0);
    w.WriteBool16(report.DoublePass);
    w.WriteString(RMReportPrinterFileName(report));
    for (int i = 0; i < report.Pages.Count(); ++i) {
        w.WriteByte(kRecordPage);
        WritePage(w, *report.Pages[i]);
    }
    for (int i = 0; i < report.Pages.Count(); ++i) {
        for (auto& view : report.Pages[i]->Objects) {
            w.WriteByte(view->Typ);
            if (view->Typ == gtAddIn)
                w.WriteString(view->ClassName());
            w.WriteByte(static_cast<std::uint8_t>(i));
            const qint64 at = w.Placeholder();
            const std::uint8_t prepared = view->PreparedMode;
            view->PreparedMode = 0;
            RMSaveView(w, *view);
            view->PreparedMode = prepared;
            w.PatchInt(at, static_cast<std::int32_t>(w.Position()));
        }
    }
    WriteDictionary(w, report);
    return w.Data;
}

bool RMSaveReportToFile(TRMReport& report, const QString& fileName, QWidget* owner)
{
    QByteArray data;
    try {
        data = RMSaveReport(report);
    } catch (const std::exception& e) {
        ShowErrorBox(owner, QString::fromUtf8(e.what()));
        return false;
    }
    QString error;
    if (!WriteFileWhole(fileName, data, &error)) {
        ShowErrorBox(owner, QStringLiteral("%1: %2").arg(fileName, error));
        return false;
    }
    report.FileName = fileName;
    return true;
}

// ---- loading ----

TRMLoadResult RMLoadReport(TRMReport& report, const QByteArray& data, bool showMessages, QWidget* owner)
{
    if (data.isEmpty()) {
        // Loading starts by clearing the dictionary; an empty stream loads nothing more.
        // Any other stream replaces the dictionary only once it was read whole.
        report.Dictionary().Clear();
        TRMLoadResult empty;
        empty.Status = TRMLoadStatus::Empty;
        return empty;
    }
    TReportLoader loader(report, data);
    const TRMLoadResult result = loader.Run();
    if (showMessages)
        ShowLoadMessages(result, owner);
    return result;
}

TRMLoadResult RMLoadReportFromFile(TRMReport& report, const QString& fileName, bool showMessages,
    QWidget* owner)
{
    QString error;
    const std::optional<QByteArray> data = ReadFileWhole(fileName, &error);
    if (!data) {
        TRMLoadResult result;
        result.Status = TRMLoadStatus::Damaged;
        result.ErrorText = error;
        if (showMessages)
            ShowLoadMessages(result, owner);
        return result;
    }
    const TRMLoadResult result = RMLoadReport(report, *data, showMessages, owner);
    if (result.Status == TRMLoadStatus::Loaded)
        report.FileName = fileName;
    return result;
}

QByteArray RMSaveReportForm(TRMReport& report)
{
    TRMWriter w;
    w.WriteInt(kRMFormatVersion);
    if (report.StoreInDFM) {
        const QByteArray stream = RMSaveReport(report);
        w.WriteInt(static_cast<std::int32_t>(stream.size()));
        w.WriteBytes(stream);
    }
    return w.Data;
}

TRMLoadResult RMLoadReportForm(TRMReport& report, const QByteArray& data, bool showMessages)
{
    TRMLoadResult result;
    try {
        TRMReader r(data);
        if (r.ReadInt() != kRMFormatVersion)
            throw TRMStreamError("report form property of another version");
        if (r.AtEnd()) {
            result.Status = TRMLoadStatus::Empty;
            return result;
        }
        const std::int32_t length = r.ReadInt();
        const QByteArray stream = r.ReadBytes(length);
        result = RMLoadReport(report, stream, showMessages);
        if (result.Ok())
            report.ReportStream = stream;
        return result;
    } catch (const TRMStreamError& e) {
        result.Status = TRMLoadStatus::Damaged;
        result.ErrorText = QString::fromUtf8(e.what());
        if (showMessages)
            ShowLoadMessages(result, nullptr);
        return result;
    }
}

void RMShowLoadMessages(const TRMLoadResult& result, int notFileMessage, QWidget* owner)
{
    switch (result.Status) {
    case TRMLoadStatus::NotReportFile:
        RMShowFileError(notFileMessage, owner);
        break;
    case TRMLoadStatus::Unsupported:
    case TRMLoadStatus::Damaged:
        RMShowFileError(res::kUnsupportedFormat, owner);
        break;
    default:
        if (!result.Skipped.isEmpty())
            RMShowMissingComponents(result.Skipped, owner);
        break;
    }
}

} // namespace pq
