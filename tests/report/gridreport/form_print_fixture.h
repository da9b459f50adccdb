// A form printed through the grid report, for the tests of the control and grid printers: an
// engine with the scripted printer, a form with the report on it, and readers of the built
// design page and of the printed lines.
#pragma once

#include "grid_test_engine.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_report.h"

#include <QRect>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace pq::test {

class FormPrint : public ::testing::Test, protected test::GridTestEngine {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
        Start();
        form.setObjectName(QStringLiteral("frmCard"));
        form.resize(700, 600);
        report = new TRMFormReport(&form);
        report->PrintControl = &form;
        report->ShowProgress = false;
        report->ShowPrintDialog = false;
        report->ReportOptions = TRMGridReportOptions{rmgoWordWrap, rmgoGridLines};
    }
    void TearDown() override
    {
        delete report;
        Stop();
        qunsetenv("XDG_CACHE_HOME");
    }
    template <class W>
    W* Put(W* w, int x, int y, int width, int height)
    {
        w->setParent(&form);
        w->setGeometry(x, y, width, height);
        return w;
    }
    // The views of the first design page other than bands, in page order.
    QList<TRMView*> Views() const
    {
        QList<TRMView*> out;
        for (const auto& o : report->Report()->Pages[0]->Objects)
            if (!dynamic_cast<TRMBandView*>(o.get()))
                out << o.get();
        return out;
    }
    // The view a control's printer made: the one whose text is text.
    TRMView* ViewWith(const QString& text) const
    {
        for (TRMView* v : Views())
            if (v->Memo.join(QLatin1Char('\n')) == text)
                return v;
        return nullptr;
    }
    // The type of the band a view lies in (-1 for none).
    int BandOf(const TRMView* v) const
    {
        int type = -1;
        for (const auto& o : report->Report()->Pages[0]->Objects)
            if (auto* b = dynamic_cast<TRMBandView*>(o.get()); b && b->Top <= v->Top && v->Top < b->Top + std::max(1, b->Height))
                type = b->BandType();
        return type;
    }
    static QRect Bounds(const TRMView* v) { return QRect(v->Left, v->Top, v->Width, v->Height); }
    // The memo texts of the first prepared page, a list per printed line (views at one top),
    // and the height and top of each line's first view.
    static QList<QStringList> PrintedRows(TRMEMFPages& pages, QList<int>* heights = nullptr, QList<int>* tops = nullptr)
    {
        QList<QStringList> rows;
        int lastTop = -1;
        pages.ExportPage(0, [&](TRMView& v) {
            if (!dynamic_cast<TRMMemoView*>(&v))
                return;
            if (v.Top != lastTop) {
                rows.append(QStringList());
                if (heights)
                    *heights << v.Height;
                if (tops)
                    *tops << v.Top;
                lastTop = v.Top;
            }
            rows.last() << v.Memo.join(QString());
        });
        return rows;
    }

    QTemporaryDir home;
    QWidget form;
    TRMFormReport* report = nullptr;
};


} // namespace pq::test
