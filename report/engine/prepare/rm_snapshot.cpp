#include "report/engine/prepare/rm_snapshot.h"

#include "report/engine/files/rm_stream.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"

#include <typeindex>
#include <typeinfo>
#include <unordered_map>

namespace pq {

namespace {

// Assigns the field structs Fields of view class V: what the compiler copies is every field
// the class declares, without a list to keep in step.
template <class V, class... Fields>
void AssignFields(const TRMView& from, TRMView& to)
{
    const V& f = static_cast<const V&>(from);
    V& t = static_cast<V&>(to);
    ((static_cast<Fields&>(t) = static_cast<const Fields&>(f)), ...);
}

using TCopyFields = void (*)(const TRMView&, TRMView&);

TCopyFields CopierOf(const std::type_info& type)
{
    static const std::unordered_map<std::type_index, TCopyFields> copiers = {
        {typeid(TRMMemoView), &AssignFields<TRMMemoView, TRMViewFields, TRMMemoFields>},
        {typeid(TRMCalcMemoView),
            &AssignFields<TRMCalcMemoView, TRMViewFields, TRMMemoFields, TRMCalcMemoFields>},
        {typeid(TRMMoneyView), &AssignFields<TRMMoneyView, TRMViewFields, TRMMemoFields, TRMMoneyFields>},
        {typeid(TRMDiagonalView),
            &AssignFields<TRMDiagonalView, TRMViewFields, TRMMemoFields, TRMDiagonalFields>},
        {typeid(TRMBandView), &AssignFields<TRMBandView, TRMViewFields, TRMBandFields>},
        {typeid(TRMSubReportView), &AssignFields<TRMSubReportView, TRMViewFields, TRMSubReportFields>},
        {typeid(TRMPictureView), &AssignFields<TRMPictureView, TRMViewFields, TRMPictureFields>},
        {typeid(TRMShapeView), &AssignFields<TRMShapeView, TRMViewFields, TRMShapeFields>},
        {typeid(TRMCheckBoxView), &AssignFields<TRMCheckBoxView, TRMViewFields, TRMCheckBoxFields>},
        {typeid(TRMLineView), &AssignFields<TRMLineView, TRMViewFields>},
        {typeid(TRMRichView), &AssignFields<TRMRichView, TRMViewFields, TRMRichFields>},
        {typeid(TRMRegionView), &AssignFields<TRMRegionView, TRMViewFields>},
    };
    const auto it = copiers.find(std::type_index(type));
    return it == copiers.end() ? nullptr : it->second;
}

// The file record carries what a view class this code does not know keeps.
void CopyThroughRecord(const TRMView& from, TRMView& to)
{
    TRMWriter w;
    RMSaveView(w, const_cast<TRMView&>(from));
    TRMReader r(w.Data);
    RMLoadView(r, to, TRMStreamVersion{});
}

} // namespace

void RMCopyView(const TRMView& from, TRMView& to)
{
    if (&from == &to)
        return;
    const std::type_info& type = typeid(from);
    if (type != typeid(to))
        return;
    if (const TCopyFields copy = CopierOf(type)) {
        copy(from, to);
        return;
    }
    CopyThroughRecord(from, to);
    static_cast<TRMViewFields&>(to) = static_cast<const TRMViewFields&>(from);
}

struct TRMReportSnapshot::PageCopy {
    TRMPage* page = nullptr;
    TRMPageFields fields;
    std::vector<std::pair<TRMView*, std::unique_ptr<TRMView>>> views;
};

TRMReportSnapshot::TRMReportSnapshot(TRMReport& report)
    : m_report(report)
{
    for (int i = 0; i < report.Pages.Count(); ++i) {
        TRMPage* page = report.Pages[i];
        auto copy = std::make_unique<PageCopy>();
        copy->page = page;
        copy->fields = *page;
        for (auto& v : page->Objects) {
            std::unique_ptr<TRMView> clone = v->Create();
            RMCopyView(*v, *clone);
            copy->views.emplace_back(v.get(), std::move(clone));
        }
        m_pages.push_back(std::move(copy));
    }
}

TRMReportSnapshot::~TRMReportSnapshot() = default;

void TRMReportSnapshot::Restore()
{
    for (auto& copy : m_pages) {
        TRMPage* page = copy->page;
        if (m_report.Pages.IndexOf(page) < 0)
            continue;
        static_cast<TRMPageFields&>(*page) = copy->fields;
        for (auto& [view, clone] : copy->views)
            if (page->IndexOf(view) >= 0)
                RMCopyView(*clone, *view);
        // The design order comes back; views created while preparing do not belong to it.
        std::unordered_map<TRMView*, std::unique_ptr<TRMView>> owned;
        for (auto& v : page->Objects)
            owned.emplace(v.get(), std::move(v));
        page->Objects.clear();
        for (auto& entry : copy->views) {
            auto it = owned.find(entry.first);
            if (it != owned.end())
                page->Objects.push_back(std::move(it->second));
        }
    }
}

} // namespace pq
