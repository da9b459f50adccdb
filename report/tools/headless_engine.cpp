#include "report/tools/headless_engine.h"

#include <cstdio>

namespace pq {

void RMUseOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

namespace {

TRMEngineOptions HeadlessOptions(bool machinePrinters)
{
    TRMEngineOptions options = TRMEngineOptions::Headless();
    if (machinePrinters)
        options.PrinterBackend.reset(); // CUPS through Qt
    return options;
}

} // namespace

TRMHeadlessEngine::TRMHeadlessEngine(QString messagePrefix, bool machinePrinters)
    : m_prefix(std::move(messagePrefix))
    , m_previous(SetMessageBoxService(this))
    , m_engine(HeadlessOptions(machinePrinters))
{
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
