#include "report/engine/rm_band.h"

#include "report/engine/rm_dataset.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/expr/variables.h"

namespace pq {

TRMBand::TRMBand(TRMPage* page, TRMBandView* view)
    : Parent(page)
    , View(view)
    , Values(std::make_unique<TRMVariables>())
{
    if (!view)
        return;
    Typ = view->BandType();
    DesignTop = view->Top;
    DesignHeight = view->Height;
    Left = view->Left;
    Width = view->Width;
    Height = view->Height;
    CurTop = view->Top;
    Stretched = view->HasFlag(flBandStretched);
    PrintIfSubsetEmpty = view->HasFlag(flBandPrintIfSubsetEmpty);
    PrintChildIfInvisible = view->HasFlag(flBandPrintChildIfInvisible);
    AutoAppendBlank = view->HasFlag(flBandAutoAppendBlank);
    FormNewPage = view->HasFlag(flBandFormNewPage);
    Breaked = view->HasFlag(flBandBreaked);
    LinesPerPage = view->LinesPerPage;
    NewPageCondition = view->Tag;
    view->RunBand = this;
}

TRMBand::~TRMBand()
{
    if (View && View->RunBand == this)
        View->RunBand = nullptr;
    RMForgetBand(this);
}

} // namespace pq
