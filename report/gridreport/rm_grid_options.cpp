#include "report/gridreport/rm_grid_options.h"

#include "base/rounding.h"
#include "base/units.h"
#include "resources/rm_locale.h"

namespace pq {

TRMConvertError::TRMConvertError(const QString& from, const QString& to)
    : std::runtime_error(QStringLiteral("Cannot assign a %1 to a %2").arg(from, to).toStdString())
{
}

void TRMPersistent::Assign(const TRMPersistent& source)
{
    if (source.ClassName() != ClassName())
        throw TRMConvertError(source.ClassName(), ClassName());
    if (&source != this)
        AssignSame(source);
}

int RMTenMillimetres()
{
    return static_cast<int>(Round(10 * units::ScreenDpi() * static_cast<double>(units::kMmToInch)));
}

// --- the option set --------------------------------------------------------------------

namespace {

const char* const kOptionNames[kGridReportOptionCount] = {
    "rmgoUseColor", "rmgoStretch", "rmgoWordWrap", "rmgoGridLines", "rmgoSelectedRecordsOnly",
    "rmgoAppendBlank", "rmgoGridNumber", "rmgoDrawBorder", "rmgoDoubleFrame",
    "rmgoRebuildAfterPageChanged", "rmgoDisableControls",
};

} // namespace

TRMGridReportOptions::TRMGridReportOptions(std::initializer_list<TRMGridReportOption> options)
{
    for (TRMGridReportOption o : options)
        Set(o);
}

void TRMGridReportOptions::Set(TRMGridReportOption o, bool on)
{
    if (o < 0 || o >= kGridReportOptionCount)
        return;
    if (on)
        m_bits |= 1u << o;
    else
        m_bits &= ~(1u << o);
}

QString RMGridReportOptionName(int option)
{
    if (option < 0 || option >= kGridReportOptionCount)
        return {};
    return QString::fromLatin1(kOptionNames[option]);
}

int RMGridReportOptionByName(const QString& name)
{
    for (int i = 0; i < kGridReportOptionCount; ++i)
        if (name.compare(QLatin1String(kOptionNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// --- the option objects ------------------------------------------------------------------

TRMPageLayout::TRMPageLayout()
    : LeftMargin(RMTenMillimetres())
    , TopMargin(RMTenMillimetres())
    , RightMargin(RMTenMillimetres())
    , BottomMargin(RMTenMillimetres())
    , PrinterName(RMLoadStr(47007)) // "默认打印机"
{
}

void TRMPageLayout::AssignSame(const TRMPersistent& source)
{
    *this = static_cast<const TRMPageLayout&>(source);
}

void TRMPageHeaderFooter::SetHeight(int value)
{
    if (value >= 0)
        m_height = value;
}

void TRMPageHeaderFooter::AssignSame(const TRMPersistent& source)
{
    // The back reference stays: the copy belongs to this object's report.
    const auto& s = static_cast<const TRMPageHeaderFooter&>(source);
    m_caption = s.m_caption;
    m_height = s.m_height;
}

void TRMGridNumOptions::SetNumber(int value)
{
    if (value >= 0)
        m_number = value;
}

void TRMGridNumOptions::AssignSame(const TRMPersistent& source)
{
    *this = static_cast<const TRMGridNumOptions&>(source);
}

void TRMScaleOptions::AssignSame(const TRMPersistent& source)
{
    *this = static_cast<const TRMScaleOptions&>(source);
}

void TRMMasterDataBandOptions::AssignSame(const TRMPersistent& source)
{
    *this = static_cast<const TRMMasterDataBandOptions&>(source);
}

// The framework's new font: the dialogs' sans face at 8 points (the engine's start-up
// resolves the face to an installed one).
TRMGridFontOptions::TRMGridFontOptions()
    : Font(QStringLiteral("MS Sans Serif"), 8)
{
}

void TRMGridFontOptions::AssignSame(const TRMPersistent& source)
{
    *this = static_cast<const TRMGridFontOptions&>(source);
}

void TRMGroupItem::AssignSame(const TRMPersistent& source)
{
    *this = static_cast<const TRMGroupItem&>(source);
}

TRMGroupItem& TRMGroupItems::Add()
{
    m_items.append(TRMGroupItem());
    return m_items.last();
}

void TRMGroupItems::AssignSame(const TRMPersistent& source)
{
    // The owner stays: the items are copied, not the collection's place.
    m_items = static_cast<const TRMGroupItems&>(source).m_items;
}

} // namespace pq
