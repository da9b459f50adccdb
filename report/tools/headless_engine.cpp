#include "report/tools/headless_engine.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/memo/rm_memo.h"
#include "report/preview/printer/fake_backend.h"
#include "report/preview/printer/printer.h"

#include "base/font_substitutions.h"

#include <cstdio>
#include <memory>

namespace pq {

void RMUseOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

TRMHeadlessEngine::TRMHeadlessEngine(QString messagePrefix)
    : m_prefix(std::move(messagePrefix))
{
    m_previous = SetMessageBoxService(this);
    RegisterFontSubstitutions();
    RMInstallMemoDriver();
    // Pages are drawn for files, not devices: no printer is asked about paper.
    SetPrinterBackend(std::make_unique<TRMFakePrinterBackend>());
    TRMEMFPages::SetPageInfoProvider(&TRMEMFPages::PaperPageInfo);
}

TRMHeadlessEngine::~TRMHeadlessEngine()
{
    SetMessageBoxService(m_previous);
}

int TRMHeadlessEngine::Show(const MessageBoxRequest& request)
{
    // Nobody is there to press OK.
    std::fprintf(stderr, "%s%s: %s\n", m_prefix.toLocal8Bit().constData(),
        request.caption.toLocal8Bit().constData(), request.text.toLocal8Bit().constData());
    return MsgOk;
}

} // namespace pq
