// Printing into a PDF file: one file across all the pages of a print, each page with the
// paper and orientation of the device mode in force when it starts.
#pragma once

#include "report/preview/printer/printer_backend.h"

#include <QPageLayout>
#include <QPainter>

class QPdfWriter;

namespace pq {

// Page layout (no margins) for a device mode: the named form's size when it carries one, else
// its paper id when that is a known size and no explicit size is given, else its width and
// length; nullopt when no usable (non-zero) size.
std::optional<QPageLayout> PageLayoutForDevMode(const TRMDevMode& devMode);
// The layout of the device mode's form, exactly its registered size (the orientation is the
// one that size shows); nullopt when the device mode names no form with a size.
std::optional<QPageLayout> FormLayoutForDevMode(const TRMDevMode& devMode);

class TRMPdfContext : public TRMPrintContext {
public:
    // Resolution of the PDF device.
    static constexpr int kResolution = 600;

    explicit TRMPdfContext(const TRMDevMode& devMode);
    // A device-like PDF: its own resolution, and a layout whose margins are the device's
    // unprintable edges (the painter's origin is the printable area's corner).
    TRMPdfContext(std::optional<QPageLayout> layout, int resolution);
    ~TRMPdfContext() override;

    TRMDeviceCaps Caps() const override;
    bool Reset(const TRMDevMode& devMode) override;
    // Opens the file on the first document; later documents of a kept-open file continue it.
    bool StartDoc(const QString& title, const QString& outputFile) override;
    bool StartPage() override;
    bool EndPage() override;
    // Completes the file unless it is kept open for further documents.
    bool EndDoc() override;
    // Drops the file: a partial PDF is never left behind.
    bool AbortDoc() override;
    QPainter* Painter() override;
    QString LastError() const override { return m_error; }

    void SetKeepOpen(bool keep) { m_keepOpen = keep; }
    // Writes the file out; false (with LastError) when it could not be completed.
    bool Finish();
    QString FileName() const { return m_fileName; }
    int PageCount() const { return m_pages; }

protected:
    // The layout a device mode asks for; devices override it with their own papers and edges.
    virtual std::optional<QPageLayout> LayoutFor(const TRMDevMode& devMode) const;
    const std::optional<QPageLayout>& Layout() const { return m_layout; }
    bool Fail(const QString& error);

private:
    int m_resolution = kResolution;

    std::optional<QPageLayout> m_layout;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    QString m_fileName;
    QString m_error;
    bool m_docOpen = false;
    bool m_keepOpen = false;
    int m_pages = 0;
};

} // namespace pq
