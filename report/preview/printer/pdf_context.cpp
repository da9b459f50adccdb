#include "report/preview/printer/pdf_context.h"

#include "report/preview/printer/paper_tables.h"

#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>

namespace pq {

std::optional<QPageLayout> FormLayoutForDevMode(const TRMDevMode& dm)
{
    if (!(dm.Fields & TRMDevMode::fmFormName) || dm.FormName.isEmpty() || dm.FormWidth <= 0
        || dm.FormLength <= 0)
        return std::nullopt;
    // QPageLayout turns a landscape page by swapping the sides, so a form wider than long is
    // its portrait size laid landscape.
    const bool wide = dm.FormWidth > dm.FormLength;
    const QSizeF portrait = wide ? QSizeF(dm.FormLength / 10.0, dm.FormWidth / 10.0)
                                 : QSizeF(dm.FormWidth / 10.0, dm.FormLength / 10.0);
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter, dm.FormName, QPageSize::ExactMatch),
        wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

std::optional<QPageLayout> PageLayoutForDevMode(const TRMDevMode& dm)
{
    if (std::optional<QPageLayout> form = FormLayoutForDevMode(dm))
        return form;
    const auto orientation = dm.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    const bool hasSize = (dm.Fields & TRMDevMode::fmPaperWidth) && (dm.Fields & TRMDevMode::fmPaperLength)
        && dm.PaperWidth > 0 && dm.PaperLength > 0;
    const QPageSize::PageSizeId id = QPageSize::id(dm.PaperSize);
    QPageSize size;
    if (id != QPageSize::Custom && dm.PaperSize != kCustomPaperId && FindStandardPaper(dm.PaperSize)) {
        size = QPageSize(id);
    } else if (hasSize) {
        size = QPageSize(QSizeF(dm.PaperWidth / 10.0, dm.PaperLength / 10.0), QPageSize::Millimeter,
            QString(), QPageSize::ExactMatch);
    } else if (const TPaperInfo* p = FindStandardPaper(dm.PaperSize); p && p->Width > 0 && p->Height > 0) {
        size = QPageSize(QSizeF(p->Width / 10.0, p->Height / 10.0), QPageSize::Millimeter,
            QString(), QPageSize::ExactMatch);
    }
    if (!size.isValid())
        return std::nullopt;
    return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0));
}

TRMPdfContext::TRMPdfContext(const TRMDevMode& devMode) : m_layout(PageLayoutForDevMode(devMode)) {}

TRMPdfContext::TRMPdfContext(std::optional<QPageLayout> layout, int resolution)
    : m_resolution(resolution > 0 ? resolution : kResolution), m_layout(std::move(layout))
{
}

std::optional<QPageLayout> TRMPdfContext::LayoutFor(const TRMDevMode& devMode) const
{
    return PageLayoutForDevMode(devMode);
}

TRMPdfContext::~TRMPdfContext()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool TRMPdfContext::Fail(const QString& error)
{
    m_error = error;
    return false;
}

TRMDeviceCaps TRMPdfContext::Caps() const
{
    TRMDeviceCaps caps;
    caps.DpiX = m_resolution;
    caps.DpiY = m_resolution;
    if (m_layout) {
        const QRect full = m_layout->fullRectPixels(m_resolution);
        const QRect paint = m_layout->paintRectPixels(m_resolution);
        caps.PhysicalWidth = full.width();
        caps.PhysicalHeight = full.height();
        caps.PrintableWidth = paint.width();
        caps.PrintableHeight = paint.height();
        caps.OffsetLeft = paint.left();
        caps.OffsetTop = paint.top();
    }
    caps.IsColor = true;
    return caps;
}

bool TRMPdfContext::Reset(const TRMDevMode& devMode)
{
    std::optional<QPageLayout> layout = LayoutFor(devMode);
    if (!layout)
        return Fail(QStringLiteral("纸张尺寸无效。"));
    m_layout = layout;
    return true;
}

bool TRMPdfContext::StartDoc(const QString& title, const QString& outputFile)
{
    m_error.clear();
    if (m_writer) { // a further document of a kept-open file
        m_docOpen = true;
        return true;
    }
    if (!m_layout)
        return Fail(QStringLiteral("纸张尺寸无效。"));
    if (outputFile.isEmpty())
        return Fail(QStringLiteral("没有指定输出文件。"));
    m_fileName = outputFile;
    m_writer = std::make_unique<QPdfWriter>(outputFile);
    m_writer->setResolution(m_resolution);
    m_writer->setTitle(title);
    m_writer->setCreator(QStringLiteral("Pagequill"));
    if (!m_writer->setPageLayout(*m_layout)) {
        m_writer.reset();
        return Fail(QStringLiteral("纸张尺寸无效。"));
    }
    m_pages = 0;
    m_docOpen = true;
    return true;
}

bool TRMPdfContext::StartPage()
{
    if (!m_writer || !m_docOpen)
        return Fail(QStringLiteral("文档没有打开。"));
    if (!m_layout)
        return Fail(QStringLiteral("纸张尺寸无效。"));
    if (m_pages == 0 && !m_painter.isActive()) {
        // The file is opened with the first page, which is laid out already.
        m_writer->setPageLayout(*m_layout);
        if (!m_painter.begin(m_writer.get())) {
            m_writer.reset();
            return Fail(QStringLiteral("无法创建文件“%1”。").arg(m_fileName));
        }
    } else {
        // The layout set before newPage governs the new page.
        m_writer->setPageLayout(*m_layout);
        if (!m_writer->newPage())
            return Fail(QStringLiteral("无法在文件中开始新的一页。"));
        // The painter's window still describes the previous sheet; match the new one.
        const QRect r = m_layout->paintRectPixels(m_resolution).translated(-m_layout->paintRectPixels(m_resolution).topLeft());
        m_painter.setViewport(r);
        m_painter.setWindow(r);
    }
    ++m_pages;
    return true;
}

bool TRMPdfContext::EndPage() { return m_docOpen; }

bool TRMPdfContext::EndDoc()
{
    if (!m_docOpen)
        return Fail(QStringLiteral("文档没有打开。"));
    m_docOpen = false;
    if (m_keepOpen)
        return true;
    return Finish();
}

bool TRMPdfContext::Finish()
{
    m_docOpen = false;
    if (!m_writer)
        return m_error.isEmpty() ? Fail(QStringLiteral("文件没有打开。")) : false;
    bool ok = true;
    if (m_painter.isActive())
        ok = m_painter.end();
    else {
        // No page was ever opened: there is nothing to write.
        m_writer.reset();
        QFile::remove(m_fileName);
        return Fail(QStringLiteral("没有可打印的页。"));
    }
    m_writer.reset();
    const QFileInfo info(m_fileName);
    if (!ok || !info.exists() || info.size() == 0)
        return Fail(QStringLiteral("无法写入文件“%1”。").arg(m_fileName));
    return true;
}

bool TRMPdfContext::AbortDoc()
{
    const bool had = m_writer != nullptr;
    if (m_painter.isActive())
        m_painter.end();
    m_writer.reset();
    m_docOpen = false;
    if (had && !m_fileName.isEmpty())
        QFile::remove(m_fileName);
    return true;
}

QPainter* TRMPdfContext::Painter() { return m_painter.isActive() ? &m_painter : nullptr; }

} // namespace pq
