#include "report/engine/startup/rm_engine_startup.h"

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/files/rm_page_file.h"
#include "report/engine/prepare/rm_progress_dialog.h"
#include "report/engine/resolver/rm_resolver.h"
#include "report/engine/rm_engine_services.h"
#include "report/preview/printer/printer.h"
#include "report/preview/printer/scripted_backend.h"

#include "base/font_substitutions.h"

#include <QApplication>

#include <algorithm>

namespace pq {

TRMEngineOptions TRMEngineOptions::Headless()
{
    TRMEngineOptions o;
    o.ProgressWindows = false;
    o.PrinterBackend = std::make_unique<TRMScriptedPrinterBackend>();
    o.PagesFromPaper = true;
    return o;
}

namespace {

std::unique_ptr<TRMProgress> ProgressDialog(TRMReport&)
{
    // A progress window needs a widget application to live in.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    return std::make_unique<TRMProgressDialog>();
}

} // namespace

TRMEngineStartup::TRMEngineStartup(TRMEngineOptions options)
{
    if (TRMEngineServices::Started())
        throw std::logic_error("the report engine is started once; a second start-up was refused");
    RegisterFontSubstitutions();
    StartPrinterLayer(std::move(options.PrinterBackend));
    TRMEngineServices s;
    s.m_memoServices = options.MemoServices ? options.MemoServices : &RMCurrentReportMemoServices();
    s.m_measurer = options.Measurer ? options.Measurer : &RMDefaultMeasurer();
    if (options.Progress)
        s.m_progress = std::move(options.Progress);
    else if (options.ProgressWindows)
        s.m_progress = &ProgressDialog;
    s.m_pagesFromPaper = options.PagesFromPaper;
    s.m_pagesMemoryBudget = std::max<qint64>(0, options.PagesMemoryBudget);
    s.m_pagesFolder = options.PagesFolder;
    TRMEngineServices::Slot() = std::move(s);
    // What a process that died left of its prepared pages.
    RMRemoveStalePageFiles();
}

TRMEngineStartup::~TRMEngineStartup()
{
    TRMEngineServices::Slot().reset();
    StopPrinterLayer();
}

} // namespace pq
