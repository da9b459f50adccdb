// Helpers of the preparation tests: a report on a 960-pixel page without margins, bands and
// memos placed in a line, in-memory data, and the prepared pages read back from their streams.
#pragma once

#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_progress.h"

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/memo/rm_memo.h"
#include "report/engine/memo/memo_wrap.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/startup/rm_engine_startup.h"

#include "base/client_dataset.h"
#include "base/message_box.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace pq::test {

struct Printed {
    QString name;
    QString text;
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    int bandAlign = 0;
};

// One design page of 794 × 960 pixels (2100 × 2540 tenths of a millimetre), no margins.
class ReportFixture {
public:
    // The engine is started for the fixture (unless a fixture living already started it):
    // fixed-pitch layout, and the given progress windows (the Qt dialog when none is given).
    explicit ReportFixture(TRMProgressFactory progress = {})
    {
        if (!TRMEngineServices::Started())
            m_engine.emplace(Options(std::move(progress), m_measurer));
        report.ShowProgress = false;
        page = AddPage();
    }
    ~ReportFixture()
    {
        for (QObject* o : m_owned)
            delete o;
    }

    TRMPage* AddPage()
    {
        TRMPage* p = report.Pages.Add(256, 2100, 2540, poPortrait, -1);
        p->LeftMargin = p->TopMargin = p->RightMargin = p->BottomMargin = 0;
        p->RecalcColumnWidth();
        return p;
    }

    TRMBandView* Band(int type, int top, int height, const QString& source = {}, TRMPage* on = nullptr)
    {
        auto* b = static_cast<TRMBandView*>(report.CreateObject(on ? on : page, gtBand));
        b->SetBandType(type);
        b->SetBounds(0, top, 794, height);
        b->SetDataSource(source);
        return b;
    }

    // A cross band: a strip of the page's full height.
    TRMBandView* CrossBand(int type, int left, int width, const QString& source = {}, const QString& name = {})
    {
        TRMBandView* b = Band(type, 0, 960, source);
        b->SetBounds(left, 0, width, 960);
        if (!name.isEmpty())
            b->Name = name;
        return b;
    }

    // A sub-report view on a page that prints design page subPage there.
    TRMSubReportView* SubReport(int left, int top, int width, int height, int subPage, TRMPage* on = nullptr)
    {
        auto* v = static_cast<TRMSubReportView*>(report.CreateObject(on ? on : page, gtSubReport));
        v->SetBounds(left, top, width, height);
        v->SubPage = subPage;
        return v;
    }

    TRMMemoView* Memo(int top, int height, const QString& text, int left = 0, int width = 300, TRMPage* on = nullptr)
    {
        auto* m = static_cast<TRMMemoView*>(report.CreateObject(on ? on : page, gtMemo));
        m->SetBounds(left, top, width, height);
        m->Memo = QStringList{text};
        m->Font.Size = 10;
        m->Format = 0;
        return m;
    }

    // A client data set named name on the hidden dialog form, text fields, given rows.
    ClientDataSet& Data(const QString& name, const QStringList& fields, const QList<QStringList>& rows)
    {
        auto cds = std::make_unique<ClientDataSet>();
        QList<TextFieldDef> defs;
        for (const QString& f : fields)
            defs << TextFieldDef{f, 40};
        cds->CreateTextFields(defs);
        for (const QStringList& r : rows)
            cds->AppendRecord(r);
        auto* ds = new TRMDBDataSet(RMDialogForm(), name);
        ds->DataSet = cds.get();
        m_owned << ds;
        // Each field gets an alias of its own name unless the report has one already.
        for (const QString& f : fields)
            if (!report.Dictionary().FindFieldAlias(f))
                report.Dictionary().SetFieldAlias(f, name, f);
        m_sets.push_back(std::move(cds));
        return *m_sets.back();
    }

    bool Prepare()
    {
        TRMPrepare prepare(report);
        const bool ok = prepare.PrepareReport();
        error = prepare.ErrorText();
        return ok;
    }

    int PageCount() { return RMPreparedPages(report).Count(); }

    std::vector<Printed> PageViews(int index)
    {
        std::vector<Printed> out;
        RMPreparedPages(report).ExportPage(index, [&out](TRMView& v) {
            Printed p;
            p.name = v.Name;
            for (const QString& l : v.Memo1)
                p.text += QString(l).remove(kLineMark);
            p.top = v.Top;
            p.left = v.Left;
            p.height = v.Height;
            p.width = v.Width;
            p.bandAlign = v.BandAlign;
            out.push_back(p);
        });
        return out;
    }

    // The printed copies of the views of one name on a page, in order.
    std::vector<Printed> Views(int index, const QString& name)
    {
        std::vector<Printed> out;
        for (const Printed& p : PageViews(index))
            if (p.name == name)
                out.push_back(p);
        return out;
    }

    // With PQ_PREPARE_PNG set to a folder, every prepared page is drawn there as
    // <name>-<page>.png, to look at what a test prepares.
    void DrawPages(const QString& name)
    {
        const QString folder = qEnvironmentVariable("PQ_PREPARE_PNG");
        if (folder.isEmpty())
            return;
        for (int i = 0; i < PageCount(); ++i) {
            QImage image(794, 960, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            RMPreparedPages(report).Draw(i, &painter, image.rect());
            painter.end();
            image.save(QStringLiteral("%1/%2-%3.png").arg(folder, name).arg(i + 1));
        }
    }

    // Texts of the views of one name on a page, in order.
    QStringList Texts(int index, const QString& name)
    {
        QStringList out;
        for (const Printed& p : PageViews(index))
            if (p.name == name)
                out << p.text;
        return out;
    }

    TRMReport report;
    TRMPage* page = nullptr;
    QString error;

private:
    static TRMEngineOptions Options(TRMProgressFactory progress, const TRMTextMeasurer& measurer)
    {
        TRMEngineOptions o;
        o.Progress = std::move(progress);
        o.Measurer = &measurer;
        return o;
    }

    TRMFixedTextMeasurer m_measurer;
    std::optional<TRMEngineStartup> m_engine;
    QList<QObject*> m_owned;
    std::vector<std::unique_ptr<ClientDataSet>> m_sets;
};

inline QStringList Numbers(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

} // namespace pq::test
