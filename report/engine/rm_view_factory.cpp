#include "report/engine/rm_view_factory.h"

#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_types.h"

namespace pq {

// ---- add-in registry ----

namespace {

std::vector<TRMAddInObjectInfo>& AddIns()
{
    static std::vector<TRMAddInObjectInfo> list;
    return list;
}

struct MissingState {
    QString text;
    bool missing = false;
};

MissingState& Missing()
{
    static MissingState state;
    return state;
}

} // namespace

void RMRegisterObject(TRMAddInObjectInfo info)
{
    if (info.ClassName.isEmpty() || !info.Create || RMFindAddIn(info.ClassName))
        return;
    AddIns().push_back(std::move(info));
}

void RMUnRegisterObject(const QString& className)
{
    auto& list = AddIns();
    std::erase_if(list, [&](const TRMAddInObjectInfo& i) {
        return i.ClassName.compare(className, Qt::CaseInsensitive) == 0;
    });
}

const std::vector<TRMAddInObjectInfo>& RMAddIns()
{
    return AddIns();
}

const TRMAddInObjectInfo* RMFindAddIn(const QString& className)
{
    for (const TRMAddInObjectInfo& i : AddIns())
        if (i.ClassName.compare(className, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

QString RMMissingClasses()
{
    return Missing().text;
}

bool RMComponentsMissing()
{
    return Missing().missing;
}

void RMResetMissingClasses()
{
    Missing() = MissingState{};
}

std::unique_ptr<TRMView> RMCreateObject(int typ, const QString& className)
{
    switch (typ) {
    case gtMemo: return std::make_unique<TRMMemoView>();
    case gtPicture: return std::make_unique<TRMPictureView>();
    case gtBand: return std::make_unique<TRMBandView>();
    case gtSubReport: return std::make_unique<TRMSubReportView>();
    case gtLine: return std::make_unique<TRMLineView>();
    case gtCalcMemo: return std::make_unique<TRMCalcMemoView>();
    case gtMoney: return std::make_unique<TRMMoneyView>();
    case gtRegion: return std::make_unique<TRMRegionView>();
    case gtAddIn: {
        if (const TRMAddInObjectInfo* info = RMFindAddIn(className)) {
            std::unique_ptr<TRMView> view = info->Create();
            if (view)
                view->Typ = gtAddIn;
            return view;
        }
        MissingState& m = Missing();
        m.text += className + QLatin1Char('\n');
        m.missing = true;
        throw TRMClassNotFound(m.text);
    }
    default:
        return nullptr;
    }
}
} // namespace pq
