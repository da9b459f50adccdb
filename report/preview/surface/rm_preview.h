// TRMPreview: the control that shows the prepared pages of one report. It lays the pages out
// at the current zoom (TRMPreviewLayout decides), paints the visible ones through the
// prepared-pages store, scrolls with its own two bars, tracks the current page, and reacts
// to wheel, dragging and the magnifier. While connected it owns the report's prepared pages;
// Disconnect gives them back.
#pragma once

#include "report/preview/surface/rm_preview_layout.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QScrollBar;
class QToolButton;

namespace pq {

class TRMEMFPages;
class TRMPageSetting;
class TRMReport;
class TRMPreview;

// Where a text search of the pages stands; it lives as long as the preview and survives
// page and zoom changes.
struct TRMSearchState {
    QString SearchText;     // upper-cased when the search is not case-sensitive
    bool CaseSensitive = false;
    bool WholeWords = false;
    int SearchPage = 0;     // 0-based page the next search starts on
    int SearchRecord = 0;   // the first text output of that page the next search looks at
    bool Found = false;
    QRect FoundRect;        // the last match in page pixels at 100 %
};

// The panel the pages are painted on.
class TRMDrawPanel : public QWidget {
public:
    explicit TRMDrawPanel(TRMPreview& preview, QWidget* parent);

    bool Dragging() const { return m_dragging; }
    int ClickedPage() const { return m_clickedPage; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int PageAt(const QPoint& layoutPoint) const;

    TRMPreview& m_preview;
    bool m_dragging = false;
    QPoint m_last;
    QPoint m_down;
    int m_clickedPage = 0;
    int m_hitLeft = 0;
    int m_hitRight = -1;
    bool m_skipNextPress = false;
    bool m_magnifierCursor = false;
};

class TRMPreview : public QWidget {
    Q_OBJECT
public:
    explicit TRMPreview(QWidget* parent = nullptr);
    ~TRMPreview() override;

    // --- connection --------------------------------------------------------------------
    // Takes the report's prepared pages (the report gets a new empty store).
    void Connect(TRMReport* report);
    // Gives the pages back to the report.
    void Disconnect();
    // Connects, takes the report's initial zoom, goes to page 1 and lays out.
    void OpenReport(TRMReport* report);
    TRMReport* Report() const;
    TRMEMFPages* Pages() const { return m_pages.get(); }

    // --- navigation and zoom -------------------------------------------------------------
    int PageCount() const;
    int CurrentPage() const { return m_currentPage; }
    void GotoPage(int page);
    void First();
    void Prior();
    void Next();
    void Last();
    // A typed zoom in percent, clamped to 10 %..1000 %.
    void ZoomPercent(double percent);
    void ZoomPageWidth();
    void ZoomWholePage();
    void ZoomTwoPages();
    void ZoomPrinterResolution();
    double GetZoomPercent() const { return m_scale * 100; }
    double Scale() const { return m_scale; }
    TRMZoomMode ZoomMode() const { return m_zoomMode; }
    // Take effect at the next layout (the mode) and refresh (the scale).
    void SetZoomMode(TRMZoomMode mode) { m_zoomMode = mode; }
    void SetChosenScale(double scale) { m_chosenScale = RMClampPreviewScale(scale); }
    double ChosenScale() const { return m_chosenScale; }
    bool Magnifier() const { return m_magnifier; }
    void SetMagnifier(bool on);
    bool Ready() const { return m_ready; }
    // Relayout and repaint; with reset, back to page 1 at the top.
    void Refresh(bool reset);

    // --- files -----------------------------------------------------------------------------
    // Loads the first file as the report's prepared pages and appends the pages of every
    // further one that exists; false (with error) when the first could not be read.
    bool LoadFromFiles(const QStringList& names, QString* error = nullptr);
    // True once a prepared-report file was loaded over the report's own pages: the pages
    // no longer come from the report's design, so page setup refuses to run.
    bool LoadedFromFile() const { return m_loadedFromFile; }
    // Saves the pages as a prepared report (".rmp" replaces the extension); the pages stay
    // shown whatever happens. False with error naming the file when it failed.
    bool SaveToFile(const QString& name, QString* error = nullptr);

    // --- search ------------------------------------------------------------------------------
    TRMSearchState& Search() { return m_search; }
    const TRMSearchState& Search() const { return m_search; }
    // Inverts a rectangle of the drawing panel (panel coordinates) at once; it stays until
    // the panel is next scrolled, zoomed, laid out or refreshed. An empty one clears it.
    void ShowInverted(const QRect& panelRect);
    QRect Inverted() const { return m_inverted; }

    // --- what the window around it reads -------------------------------------------------
    QString PageLabel() const;
    const QList<QRect>& PageRects() const { return m_rects; }
    QPoint Offset() const { return m_offset; }
    QScrollBar* VScrollBar() const { return m_vbar; }
    QScrollBar* HScrollBar() const { return m_hbar; }
    TRMDrawPanel* DrawPanel() const { return m_panel; }
    // The cursor shown over pages in magnifier mode (drawn here, no resource file needed).
    static const QCursor& MagnifierCursor();

    std::function<void()> OnPageChanged;
    std::function<void()> OnStatusChange;
    // Handed the new settings by the page setup before the report is prepared again;
    // OpenReport takes the report's own.
    std::function<void(TRMPageSetting&)> AfterPageSetup;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TRMDrawPanel;

    void Layout();
    void ScrollToCurrent();
    void UpdateLabel();
    void VScrolled(int value);
    void HScrolled(int value);
    void ReleaseAllPages();
    void Fire(const std::function<void()>& event) const
    {
        if (event)
            event();
    }

    void ClearInverted();

    QPointer<TRMReport> m_report;
    std::unique_ptr<TRMEMFPages> m_pages;
    TRMSearchState m_search;
    QRect m_inverted;
    int m_currentPage = 1;
    double m_scale = 1.0;
    double m_chosenScale = 1.0;
    TRMZoomMode m_zoomMode = TRMZoomMode::Percent;
    bool m_ready = false;
    bool m_magnifier = false;
    bool m_loadedFromFile = false;
    QPoint m_offset;
    int m_lastV = 0;
    int m_lastH = 0;
    QList<QRect> m_rects;

    TRMDrawPanel* m_panel = nullptr;
    QWidget* m_right = nullptr;
    QWidget* m_bottom = nullptr;
    QScrollBar* m_vbar = nullptr;
    QScrollBar* m_hbar = nullptr;
    QToolButton* m_pgUp = nullptr;
    QToolButton* m_pgDn = nullptr;
    QLabel* m_label = nullptr;
};

} // namespace pq
