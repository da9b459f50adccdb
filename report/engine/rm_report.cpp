#include "report/engine/rm_report.h"

#include "report/engine/rm_view_factory.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_view.h"

#include "base/rounding.h"
#include "base/units.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace pq {

// ---- dictionary ----

TRMDataDictionary::TRMDataDictionary()
    : m_variables(std::make_unique<TRMVariables>())
{
}

TRMDataDictionary::~TRMDataDictionary() = default;

void TRMDataDictionary::SetFieldAlias(const QString& alias, const QString& dataSet, const QString& field)
{
    auto it = std::lower_bound(m_aliases.begin(), m_aliases.end(), alias, [](const auto& e, const QString& key) {
        return e.first.compare(key, Qt::CaseInsensitive) < 0;
    });
    if (it != m_aliases.end() && it->first.compare(alias, Qt::CaseInsensitive) == 0)
        it->second = TFieldAlias{dataSet, field};
    else
        m_aliases.insert(it, {alias, TFieldAlias{dataSet, field}});
}

const TRMDataDictionary::TFieldAlias* TRMDataDictionary::FindFieldAlias(const QString& alias) const
{
    auto it = std::lower_bound(m_aliases.begin(), m_aliases.end(), alias, [](const auto& e, const QString& key) {
        return e.first.compare(key, Qt::CaseInsensitive) < 0;
    });
    if (it != m_aliases.end() && it->first.compare(alias, Qt::CaseInsensitive) == 0)
        return &it->second;
    return nullptr;
}

void TRMDataDictionary::Clear()
{
    m_aliases.clear();
    m_variables->Clear();
    ExtraList.clear();
}

// ---- settings ----

std::unique_ptr<QSettings> TRMSaveReportOptions::OpenSettings() const
{
    if (!UseRegistry && !IniFileName.isEmpty())
        return std::make_unique<QSettings>(IniFileName, QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Orvane Soft"), QStringLiteral("Pagequill"));
}

QString TRMSaveReportOptions::SectionName(const TRMReport& report)
{
    if (!report.ReportInfo.Title.isEmpty())
        return report.ReportInfo.Title;
    return QFileInfo(report.FileName).fileName();
}

namespace {

QString GroupFor(const TRMSaveReportOptions& o, const TRMReport& report)
{
    // QSettings separates keys with '/'; a '/' inside a title would open a sub-key.
    QString section = TRMSaveReportOptions::SectionName(report);
    section.replace(QLatin1Char('/'), QLatin1Char('_'));
    section.replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (!o.UseRegistry && !o.IniFileName.isEmpty())
        return section;
    QString path = o.RegistryPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + section;
}

const char* const kMarginKeys[4] = {"_LeftMargin", "_TopMargin", "_RightMargin", "_BottomMargin"};

} // namespace

void TRMSaveReportOptions::LoadReportSetting(TRMReport& report) const
{
    if (SectionName(report).isEmpty())
        return;
    auto s = OpenSettings();
    s->beginGroup(GroupFor(*this, report));
    auto readInt = [&s](const char* key, int fallback) {
        bool ok = false;
        const int v = s->value(QString::fromLatin1(key)).toInt(&ok);
        return ok ? v : fallback;
    };
    auto readBool = [&s](const char* key, bool fallback) {
        const QVariant v = s->value(QString::fromLatin1(key));
        return v.isValid() ? v.toBool() : fallback;
    };
    report.taoda = readBool("taoda", report.taoda);
    report.PrintOffsetTop = readInt("PrintOffsetTop", report.PrintOffsetTop);
    report.PrintOffsetLeft = readInt("PrintOffsetLeft", report.PrintOffsetLeft);
    report.PrintBackColor = readBool("PrintBackColor", report.PrintBackColor);
    report.DoublePass = readBool("DoublePass", report.DoublePass);
    const bool newFlag = readBool("NewFlag", true);
    // Only pages that exist take stored margins; a shorter report ignores the rest.
    const int count = std::min(readInt("PageCount", 0), report.Pages.Count());
    for (int i = 0; i < count; ++i) {
        TRMPage* page = report.Pages[i];
        int m[4] = {page->LeftMargin, page->TopMargin, page->RightMargin, page->BottomMargin};
        bool present[4] = {};
        for (int k = 0; k < 4; ++k) {
            const QString key = QStringLiteral("Page_") + QString::number(i) + QLatin1String(kMarginKeys[k]);
            bool ok = false;
            const int v = s->value(key).toInt(&ok);
            if (ok) {
                m[k] = v;
                present[k] = true;
            }
        }
        if (!newFlag) {
            // An older layout stored a pixel rectangle: left, top, right and bottom edges.
            if (present[0])
                m[0] = TRMPage::MarginThousandths(m[0]);
            if (present[1])
                m[1] = TRMPage::MarginThousandths(m[1]);
            if (present[2])
                m[2] = TRMPage::MarginThousandths(page->PrinterInfo.PageWidth - m[2]);
            if (present[3])
                m[3] = TRMPage::MarginThousandths(page->PrinterInfo.PageHeight - m[3]);
        }
        // A negative margin cannot be printed; keep what the page had.
        page->LeftMargin = m[0] >= 0 ? m[0] : page->LeftMargin;
        page->TopMargin = m[1] >= 0 ? m[1] : page->TopMargin;
        page->RightMargin = m[2] >= 0 ? m[2] : page->RightMargin;
        page->BottomMargin = m[3] >= 0 ? m[3] : page->BottomMargin;
        page->RecalcColumnWidth();
    }
    s->endGroup();
}

void TRMSaveReportOptions::SaveReportSetting(TRMReport& report) const
{
    if (SectionName(report).isEmpty())
        return;
    auto s = OpenSettings();
    s->beginGroup(GroupFor(*this, report));
    s->setValue(QStringLiteral("taoda"), report.taoda);
    s->setValue(QStringLiteral("PrintOffsetTop"), report.PrintOffsetTop);
    s->setValue(QStringLiteral("PrintOffsetLeft"), report.PrintOffsetLeft);
    s->setValue(QStringLiteral("PrintBackColor"), report.PrintBackColor);
    s->setValue(QStringLiteral("DoublePass"), report.DoublePass);
    s->setValue(QStringLiteral("NewFlag"), true);
    s->setValue(QStringLiteral("PageCount"), report.Pages.Count());
    for (int i = 0; i < report.Pages.Count(); ++i) {
        const TRMPage* page = report.Pages[i];
        const int m[4] = {page->LeftMargin, page->TopMargin, page->RightMargin, page->BottomMargin};
        for (int k = 0; k < 4; ++k)
            s->setValue(QStringLiteral("Page_") + QString::number(i) + QLatin1String(kMarginKeys[k]), m[k]);
    }
    s->endGroup();
    s->sync();
}

// ---- report ----

TRMReport::TRMReport(QObject* owner)
    : QObject(owner)
    , Pages(this)
    , m_variables(std::make_unique<TRMVariables>())
{
}

TRMReport::~TRMReport()
{
    Pages.Clear();
    RMForgetReport(this);
}

TRMView* TRMReport::FindObject(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    for (int i = 0; i < Pages.Count(); ++i)
        if (TRMView* v = Pages[i]->FindObject(name))
            return v;
    return nullptr;
}

QString TRMReport::GetUniqueName(const QString& baseName) const
{
    for (int n = 1;; ++n) {
        const QString name = baseName + QString::number(n);
        if (!FindObject(name))
            return name;
    }
}

TRMView* TRMReport::CreateObject(TRMPage* page, int typ, const QString& className)
{
    if (!page)
        return nullptr;
    std::unique_ptr<TRMView> view = RMCreateObject(typ, className);
    if (!view)
        return nullptr;
    view->Name = GetUniqueName(view->BaseName);
    return page->AddObject(std::move(view));
}

void TRMReport::LoadReportSetting()
{
    if (OnLoadReportSetting) {
        OnLoadReportSetting(this);
        return;
    }
    if (SaveReportOptions.AutoLoadSaveSetting)
        SaveReportOptions.LoadReportSetting(*this);
}

void TRMReport::SaveReportSetting()
{
    if (OnSaveReportSetting) {
        OnSaveReportSetting(this);
        return;
    }
    if (SaveReportOptions.AutoLoadSaveSetting)
        SaveReportOptions.SaveReportSetting(*this);
}

} // namespace pq
