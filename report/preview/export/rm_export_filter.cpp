#include "report/preview/export/rm_export_filter.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/preview/export/rm_xlsx_filter.h"


#include <algorithm>

namespace pq {

namespace {

struct Registered {
    std::unique_ptr<TRMExportFilter> Filter;
    TRMExportFilterEntry Entry;
};

std::vector<Registered>& Registry()
{
    static std::vector<Registered> registry = [] {
        std::vector<Registered> r;
        auto xlsx = std::make_unique<TRMXLSXExportFilter>();
        TRMExportFilterEntry e{xlsx.get(), TRMXLSXExportFilter::Description(), QStringLiteral("*.xlsx"), true};
        r.push_back({std::move(xlsx), e});
        return r;
    }();
    return registry;
}

} // namespace

QString TRMExportFilterEntry::DialogFilter() const
{
    return QStringLiteral("%1 (%2)").arg(Description, Mask);
}

QString TRMExportFilterEntry::Extension() const
{
    const qsizetype dot = Mask.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    const QString ext = Mask.mid(dot);
    return ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')) ? QString() : ext;
}

std::vector<TRMExportFilterEntry> RMExportFilters()
{
    std::vector<TRMExportFilterEntry> entries;
    for (const Registered& r : Registry())
        entries.push_back(r.Entry);
    return entries;
}

TRMExportFilter* RMRegisterExportFilter(std::unique_ptr<TRMExportFilter> filter, const QString& description,
    const QString& mask, bool spreadsheet)
{
    if (!filter)
        return nullptr;
    TRMExportFilter* f = filter.get();
    Registry().push_back({std::move(filter), TRMExportFilterEntry{f, description, mask, spreadsheet}});
    return f;
}

void RMUnregisterExportFilter(TRMExportFilter* filter)
{
    auto& r = Registry();
    r.erase(std::remove_if(r.begin(), r.end(), [filter](const Registered& e) { return e.Filter.get() == filter; }),
        r.end());
}

TRMExportFilterEntry RMSpreadsheetFilter()
{
    for (const Registered& r : Registry())
        if (r.Entry.Spreadsheet)
            return r.Entry;
    return {};
}

bool RMExportPages(TRMEMFPages& pages, TRMExportFilter& filter, const QString& fileName, QWidget* owner,
    QString* error)
{
    filter.FileName = fileName;
    if (filter.ShowDialog && !filter.ShowOptions(owner))
        return false;
    QString why;
    if (!filter.BeginDoc(&why)) {
        if (error)
            *error = why;
        return false;
    }
    for (int k = 0; k < pages.Count(); ++k) {
        filter.BeginPage(k, *pages.Page(k));
        pages.ExportPage(k, [&filter](TRMView& view) { filter.Data(view); });
        filter.EndPage(k);
    }
    if (!filter.EndDoc(&why)) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

} // namespace pq
