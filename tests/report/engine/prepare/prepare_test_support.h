// Helpers of the preparation tests: a report on a 960-pixel page without margins, bands and
// memos placed in a line, in-memory data, and the prepared pages read back from their streams.
#pragma once

#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/prepare/rm_progress.h"

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/memo/rm_memo.h"
#include "report/engine/memo/memo_wrap.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_globals.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_views.h"

#include "base/client_dataset.h"
#include "base/message_box.h"

#include <QWidget>

#include <memory>
#include <vector>

namespace pq::test {

struct Printed {
    QString name;
    QString text;
    int top = 0;
    int left = 0;
    int height = 0;
};

// One design page of 794 × 960 pixels (2100 × 2540 tenths of a millimetre), no margins.
class ReportFixture {
public:
    ReportFixture()
    {
        RMSetMemoMeasurer(&m_measurer);
        report.ShowProgress = false;
        page = AddPage();
    }
    ~ReportFixture()
    {
        RMSetMemoMeasurer(nullptr);
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
        for (const QString& f : fields)
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
            out.push_back(p);
        });
        return out;
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
    TRMFixedTextMeasurer m_measurer;
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
