// pq-render: loads a prepared-report file (.rmp), or prepares a report file against the data
// it is given, and writes the pages as a PDF file or as PNG images, without a screen. See
// README.md.
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_file_messages.h"
#include "report/engine/files/rm_pdf_export.h"
#include "report/engine/files/rm_report_file.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/prepare/rm_prepare_output.h"
#include "report/engine/rm_report.h"
#include "report/preview/export/rm_xlsx_filter.h"
#include "report/preview/print/rm_page_list.h"
#include "report/preview/print/rm_print_job.h"
#include "report/preview/printer/printer.h"
#include "report/preview/window/rm_preview_form.h"
#include "report/tools/csv_grid_report.h"
#include "report/tools/form_demo.h"
#include "report/tools/headless_engine.h"
#include "report/tools/report_data.h"
#include "report/tools/sample_report.h"

#include "resources/rm_locale.h"

#include "base/file_io.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitBadInput = 2,
    kExitWriteFailed = 3,
    kExitPrintFailed = 4,
};

const char* const kUsage =
    "usage: pq-render FILE.rmp --pdf OUT.pdf\n"
    "       pq-render FILE.rmp --png OUT-%d.png [--dpi N]\n"
    "       pq-render FILE.rmp|REPORT.rpf ... --xlsx OUT.xlsx [--xlsx-one-sheet]\n"
    "       pq-render REPORT.rpf --data NAME=FILE.csv ... --pdf OUT.pdf\n"
    "       pq-render REPORT.rpf --sql NAME=\"select ...\" --server sqlite:DB --png OUT-%d.png\n"
    "       pq-render FILE.rmp --preview [--screenshot SHOT.png]\n"
    "       pq-render FILE.rmp|REPORT.rpf ... --print QUEUE [--pages LIST] [--copies N]\n"
    "       pq-render FILE.rmp|REPORT.rpf ... --print-file OUT.pdf [--pages LIST] [--copies N]\n"
    "       pq-render --grid TABLE.csv [--title TEXT] [--fixed-cols N] --pdf OUT.pdf\n"
    "       pq-render --form-demo [--control NAME] --pdf OUT.pdf\n"
    "       pq-render --write-sample FILE.rmp\n"
    "\n"
    "  --pdf OUT.pdf       write every page into one PDF file\n"
    "  --png PATTERN       write one PNG per page; %d in PATTERN becomes the page number\n"
    "                      (from 1); without it, pages after the first get -N before the\n"
    "                      extension\n"
    "  --xlsx OUT.xlsx     write the pages as an Excel workbook: one worksheet per page, a\n"
    "                      cell per text at the place it has on the page\n"
    "  --xlsx-one-sheet    with --xlsx: every page on one worksheet, one below the other\n"
    "  --dpi N             PNG resolution, 10 to 1200 (default 96: one pixel per report pixel)\n"
    "  --pdf-dpi N         PDF drawing resolution, 72 to 2400 (default 600)\n"
    "  --page-memory MIB   prepared pages kept in memory, 1 to 65536 MiB (default 64); the\n"
    "                      rest waits in a private temporary file\n"
    "  --preview           open the pages in the preview window (needs a display) instead\n"
    "                      of writing them; the program ends when the window closes\n"
    "  --screenshot F      with --preview: write a PNG of the window once it is shown, then\n"
    "                      close it\n"
    "  --print QUEUE       print the pages on the printer QUEUE (a CUPS queue) through the\n"
    "                      print loop of the preview, without a window\n"
    "  --print-file F.pdf  the same print loop into a PDF file (no printer needed): the\n"
    "                      pages, copies and papers exactly as a printer would get them\n"
    "  --pages LIST        with --print: the pages, as in the print dialog (\"1,3,5-12\",\n"
    "                      \"7-\"); all pages without it\n"
    "  --copies N          with --print: copies, 1 to 999 (default: the report's)\n"
    "  --uncollated        with --print: each page's copies together (1,1,2,2)\n"
    "  --grid TABLE.csv    no report file: the table (a header row, then the rows) printed as\n"
    "                      a grid report, columns as wide as their content; a header written\n"
    "                      \"Group|Column\" puts the column under a spanning title \"Group\"\n"
    "  --title TEXT        with --grid: the title above the table\n"
    "  --fixed-cols N      with --grid: the first N columns again on pages that continue a\n"
    "                      table wider than the paper\n"
    "  --form-demo         no report file: a form of ordinary controls (a title, two edits,\n"
    "                      a check box, a data grid of receipts, a string grid summing them)\n"
    "                      printed as the grid report lays it out; a form prints its first\n"
    "                      grid, here the data grid\n"
    "  --control NAME      with --form-demo: print only that control of the form (for\n"
    "                      example sgSummary, the string grid)\n"
    "  --write-sample F    write a small two-page prepared report to F and exit\n"
    "  --data NAME=FILE    a report file is prepared first; NAME is the data set the report\n"
    "                      uses, FILE a CSV file with a header row (repeatable)\n"
    "  --sql NAME=QUERY    the data set NAME is the result of QUERY on the --server\n"
    "  --server SPEC       sqlite:FILE or a PostgreSQL connection string\n";

struct Options {
    QString input;
    QString pdf;
    QString png;
    QString xlsx;
    bool xlsxOneSheet = false;
    int dpi = 96;
    int pdfDpi = 600;
    int pageMemoryMiB = 0; // 0: the engine's budget
    QString sample;
    bool preview = false;
    QString screenshot;
    QString printQueue;
    QString printFile; // --print-file: the print loop into a PDF file instead of a queue
    QString printPages;
    int copies = 0; // 0: the report's own
    bool uncollated = false;
    QList<QPair<QString, QString>> csv;   // data set name, file
    QList<QPair<QString, QString>> sql;   // data set name, query
    QString server;
    QString grid;  // --grid: a CSV file printed as a grid report
    QString title;
    bool titleGiven = false;
    int fixedCols = -1;
    bool formDemo = false; // --form-demo: the demonstration form printed as a report
    QString control;
};

// "NAME=VALUE" split at the first "="; false when either side is empty.
bool NameValue(const QString& text, QPair<QString, QString>& out)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0 || eq + 1 >= text.size())
        return false;
    out = {text.left(eq).trimmed(), text.mid(eq + 1)};
    return !out.first.isEmpty();
}

void Err(const QString& text)
{
    std::fprintf(stderr, "pq-render: %s\n", text.toLocal8Bit().constData());
}

std::optional<int> IntArg(const QString& text, int low, int high)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

// Parses the arguments; a message and nullopt when they make no sense.
std::optional<Options> Parse(const QStringList& args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size()) {
                Err(QStringLiteral("%1 needs a value").arg(a));
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--pdf")) {
            if (!value(o.pdf))
                return std::nullopt;
        } else if (a == QLatin1String("--png")) {
            if (!value(o.png))
                return std::nullopt;
        } else if (a == QLatin1String("--xlsx")) {
            if (!value(o.xlsx))
                return std::nullopt;
        } else if (a == QLatin1String("--xlsx-one-sheet")) {
            o.xlsxOneSheet = true;
        } else if (a == QLatin1String("--data") || a == QLatin1String("--sql")) {
            QString text;
            QPair<QString, QString> pair;
            if (!value(text))
                return std::nullopt;
            if (!NameValue(text, pair)) {
                Err(QStringLiteral("%1 takes NAME=VALUE").arg(a));
                return std::nullopt;
            }
            (a == QLatin1String("--data") ? o.csv : o.sql) << pair;
        } else if (a == QLatin1String("--grid")) {
            if (!value(o.grid))
                return std::nullopt;
        } else if (a == QLatin1String("--title")) {
            if (!value(o.title))
                return std::nullopt;
            o.titleGiven = true;
        } else if (a == QLatin1String("--fixed-cols")) {
            QString text;
            if (!value(text))
                return std::nullopt;
            const auto v = IntArg(text, 0, 99);
            if (!v) {
                Err(QStringLiteral("--fixed-cols takes a number from 0 to 99"));
                return std::nullopt;
            }
            o.fixedCols = *v;
        } else if (a == QLatin1String("--form-demo")) {
            o.formDemo = true;
        } else if (a == QLatin1String("--control")) {
            if (!value(o.control))
                return std::nullopt;
        } else if (a == QLatin1String("--server")) {
            if (!value(o.server))
                return std::nullopt;
        } else if (a == QLatin1String("--preview")) {
            o.preview = true;
        } else if (a == QLatin1String("--screenshot")) {
            if (!value(o.screenshot))
                return std::nullopt;
        } else if (a == QLatin1String("--print")) {
            if (!value(o.printQueue))
                return std::nullopt;
        } else if (a == QLatin1String("--print-file")) {
            if (!value(o.printFile))
                return std::nullopt;
        } else if (a == QLatin1String("--pages")) {
            if (!value(o.printPages))
                return std::nullopt;
        } else if (a == QLatin1String("--copies")) {
            QString text;
            if (!value(text))
                return std::nullopt;
            const auto v = IntArg(text, 1, 999);
            if (!v) {
                Err(QStringLiteral("--copies takes a number from 1 to 999"));
                return std::nullopt;
            }
            o.copies = *v;
        } else if (a == QLatin1String("--uncollated")) {
            o.uncollated = true;
        } else if (a == QLatin1String("--write-sample")) {
            if (!value(o.sample))
                return std::nullopt;
        } else if (a == QLatin1String("--dpi") || a == QLatin1String("--pdf-dpi")) {
            QString text;
            if (!value(text))
                return std::nullopt;
            const bool png = a == QLatin1String("--dpi");
            const auto v = png ? IntArg(text, 10, 1200) : IntArg(text, 72, 2400);
            if (!v) {
                Err(QStringLiteral("%1 takes a number from %2 to %3").arg(a).arg(png ? 10 : 72).arg(png ? 1200 : 2400));
                return std::nullopt;
            }
            (png ? o.dpi : o.pdfDpi) = *v;
        } else if (a == QLatin1String("--page-memory")) {
            QString text;
            if (!value(text))
                return std::nullopt;
            const auto v = IntArg(text, 1, 65536);
            if (!v) {
                Err(QStringLiteral("--page-memory takes a number of MiB from 1 to 65536"));
                return std::nullopt;
            }
            o.pageMemoryMiB = *v;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            std::exit(kExitOk);
        } else if (a.startsWith(QLatin1Char('-'))) {
            Err(QStringLiteral("unknown option %1").arg(a));
            return std::nullopt;
        } else if (o.input.isEmpty()) {
            o.input = a;
        } else {
            Err(QStringLiteral("one input file only (%1)").arg(a));
            return std::nullopt;
        }
    }
    if (!o.sample.isEmpty())
        return o;
    if (o.grid.isEmpty() && (o.titleGiven || o.fixedCols >= 0)) {
        Err(QStringLiteral("--title and --fixed-cols go with --grid"));
        return std::nullopt;
    }
    if (!o.control.isEmpty() && !o.formDemo) {
        Err(QStringLiteral("--control goes with --form-demo"));
        return std::nullopt;
    }
    if (o.formDemo) {
        if (!o.input.isEmpty() || !o.grid.isEmpty() || !o.csv.isEmpty() || !o.sql.isEmpty()) {
            Err(QStringLiteral("--form-demo takes no input file, no --grid and no --data or --sql"));
            return std::nullopt;
        }
        o.input = QStringLiteral("form-demo");
    }
    if (!o.grid.isEmpty()) {
        if (!o.input.isEmpty() || !o.csv.isEmpty() || !o.sql.isEmpty()) {
            Err(QStringLiteral("--grid takes no report file and no --data or --sql"));
            return std::nullopt;
        }
        o.input = o.grid;
    }
    if (o.input.isEmpty()) {
        Err(QStringLiteral("no input file"));
        return std::nullopt;
    }
    if (!o.sql.isEmpty() && o.server.isEmpty()) {
        Err(QStringLiteral("--sql needs --server"));
        return std::nullopt;
    }
    if (!o.screenshot.isEmpty() && !o.preview) {
        Err(QStringLiteral("--screenshot goes with --preview"));
        return std::nullopt;
    }
    const bool printing = !o.printQueue.isEmpty() || !o.printFile.isEmpty();
    if (!printing && (!o.printPages.isEmpty() || o.copies > 0 || o.uncollated)) {
        Err(QStringLiteral("--pages, --copies and --uncollated go with --print or --print-file"));
        return std::nullopt;
    }
    if (!o.printQueue.isEmpty() && !o.printFile.isEmpty()) {
        Err(QStringLiteral("--print and --print-file exclude each other"));
        return std::nullopt;
    }
    if (o.preview && printing) {
        Err(QStringLiteral("printing and --preview exclude each other"));
        return std::nullopt;
    }
    if (o.xlsxOneSheet && o.xlsx.isEmpty()) {
        Err(QStringLiteral("--xlsx-one-sheet goes with --xlsx"));
        return std::nullopt;
    }
    if (o.pdf.isEmpty() && o.png.isEmpty() && o.xlsx.isEmpty() && !o.preview && !printing) {
        Err(QStringLiteral("nothing to write: give --pdf, --png or --xlsx, --print or --preview"));
        return std::nullopt;
    }
    return o;
}

QString PngName(const QString& pattern, int pageNo, int pageCount)
{
    if (pattern.contains(QLatin1String("%d")))
        return QString(pattern).replace(QLatin1String("%d"), QString::number(pageNo));
    if (pageNo == 1 || pageCount == 1)
        return pattern;
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash + 1)
        return pattern + QStringLiteral("-%1").arg(pageNo);
    return pattern.left(dot) + QStringLiteral("-%1").arg(pageNo) + pattern.mid(dot);
}

int WritePngs(pq::TRMEMFPages& pages, const QString& pattern, int dpi)
{
    for (int i = 0; i < pages.Count(); ++i) {
        const pq::TRMEMFPage& p = *pages[i];
        const int w = static_cast<int>(p.PageInfo.PageWidth * static_cast<qint64>(dpi) / 96);
        const int h = static_cast<int>(p.PageInfo.PageHeight * static_cast<qint64>(dpi) / 96);
        if (w <= 0 || h <= 0 || static_cast<qint64>(w) * h > 400'000'000) {
            Err(QStringLiteral("page %1 is too large to draw at %2 dpi").arg(i + 1).arg(dpi));
            return kExitBadInput;
        }
        QImage image(w, h, QImage::Format_RGB32);
        image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
        image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            pages.Draw(i, &painter, QRect(0, 0, w, h));
        }
        pages.FreePage(i);
        const QString name = PngName(pattern, i + 1, pages.Count());
        QString error;
        const bool written = pq::WriteFileWhole(
            name,
            [&image](QIODevice& device, QString&) { return image.save(&device, "PNG"); },
            &error);
        if (!written) {
            Err(QStringLiteral("cannot write %1: %2").arg(name, error));
            return kExitWriteFailed;
        }
    }
    return kExitOk;
}

int WritePdf(pq::TRMEMFPages& pages, const QString& fileName, int dpi)
{
    pq::TRMPdfExportOptions options;
    options.Dpi = dpi;
    options.Creator = QStringLiteral("pq-render");
    QString error;
    const bool written = pq::WriteFileWhole(
        fileName,
        [&](QIODevice& device, QString& reason) { return pq::RMExportPdf(pages, device, options, &reason); },
        &error);
    if (!written) {
        Err(QStringLiteral("cannot write %1: %2").arg(fileName, error));
        return kExitWriteFailed;
    }
    return kExitOk;
}

int WriteXlsx(pq::TRMEMFPages& pages, const QString& fileName, bool oneSheet)
{
    pq::TRMXLSXExportFilter filter;
    filter.OneSheetPerPage = !oneSheet;
    filter.ShowDialog = false;
    QString error;
    if (!pq::RMExportPages(pages, filter, fileName, nullptr, &error)) {
        Err(error);
        return kExitWriteFailed;
    }
    return kExitOk;
}

// Views the file holds but this build cannot create are named, so that a page with holes in
// it is never taken for the whole report.
void WarnSkipped(const QString& input, const pq::TRMLoadResult& result)
{
    if (!result.Skipped.isEmpty())
        Err(QStringLiteral("%1: views of unknown classes are left out: %2")
                .arg(input, result.Skipped.join(QLatin1String(", "))));
}

bool IsReportFile(const QByteArray& data)
{
    return data.left(64).contains(pq::kReportFileMagic);
}

// Only a PDF is asked of a report file: it is written while the report is prepared.
bool PdfOnly(const Options& o)
{
    return !o.pdf.isEmpty() && o.png.isEmpty() && !o.preview && o.printQueue.isEmpty() && o.printFile.isEmpty();
}

// Only a print is asked of a report file: the pages are printed while it is prepared.
bool PrintOnly(const Options& o)
{
    return (!o.printQueue.isEmpty() || !o.printFile.isEmpty()) && o.pdf.isEmpty() && o.png.isEmpty()
        && o.xlsx.isEmpty() && !o.preview;
}

int PrepareIntoPdf(pq::TRMReport& report, const Options& o)
{
    pq::TRMPdfExportOptions options;
    options.Dpi = o.pdfDpi;
    options.Creator = QStringLiteral("pq-render");
    pq::TRMPreparedOutput done;
    QString error;
    const bool written = pq::WriteFileWhole(
        o.pdf,
        [&](QIODevice& device, QString& reason) {
            done = pq::RMPrepareToPdf(report, device, options);
            reason = done.OutputError;
            return done.Written;
        },
        &error);
    if (!done.Prepared) {
        Err(QStringLiteral("%1: the report could not be prepared").arg(o.input));
        return kExitBadInput;
    }
    if (!written) {
        Err(QStringLiteral("cannot write %1: %2").arg(o.pdf, error));
        return kExitWriteFailed;
    }
    return kExitOk;
}

// Loads the report file, binds the data sets and prepares it into the report's pages (with
// only a PDF asked for, straight into the PDF).
int PrepareReportFile(const Options& o, const QByteArray& data, pq::TRMReport& report, pq::TRMReportData& sets)
{
    const pq::TRMLoadResult result = pq::RMLoadReport(report, data, false);
    if (!result.Ok()) {
        Err(QStringLiteral("%1: cannot read the report file: %2").arg(o.input, result.ErrorText));
        return kExitBadInput;
    }
    WarnSkipped(o.input, result);
    try {
        for (const auto& [name, file] : o.csv)
            sets.AddCsv(name, file);
        for (const auto& [name, query] : o.sql)
            sets.AddQuery(name, o.server, query);
    } catch (const std::exception& e) {
        Err(QString::fromStdString(e.what()));
        return kExitBadInput;
    }
    for (const QString& warning : sets.Warnings())
        Err(QStringLiteral("warning: %1").arg(warning));
    report.ShowProgress = false;
    if (PdfOnly(o))
        return PrepareIntoPdf(report, o);
    if (PrintOnly(o))
        return kExitOk; // prepared by the print
    if (!pq::RMPrepareReport(report)) {
        Err(QStringLiteral("%1: the report could not be prepared").arg(o.input));
        return kExitBadInput;
    }
    return kExitOk;
}

// Prints the pages on the queue, or into the PDF file, through the print loop; what it did
// goes to standard output. The file is printed beside its place and renamed into it only
// when the job has ended well, so a failure keeps the file that was there. With prepare,
// the report is prepared by the print (its pages printed as they are made, where the
// request allows).
int Print(pq::TRMReport& report, const Options& o, bool prepare = false)
{
    pq::TRMPrinter& printer = pq::GetReportPrinter();
    const QString target = o.printFile.isEmpty() ? o.printQueue : o.printFile;
    std::optional<QTemporaryFile> partial;
    if (o.printFile.isEmpty()) {
        const QStringList names = pq::GetPrinterList().Names();
        const qsizetype index = names.indexOf(o.printQueue);
        if (index < 2) {
            const QStringList queues = names.mid(2);
            Err(QStringLiteral("no printer named %1 (printers: %2)")
                    .arg(o.printQueue, queues.isEmpty() ? QStringLiteral("none") : queues.join(QLatin1String(", "))));
            return kExitBadInput;
        }
        printer.SetSelectedPrinter(static_cast<int>(index));
    } else {
        partial.emplace(QFileInfo(o.printFile).absoluteFilePath() + QStringLiteral(".XXXXXX"));
        if (!partial->open()) {
            Err(QStringLiteral("cannot write %1: %2").arg(o.printFile, partial->errorString()));
            return kExitWriteFailed;
        }
        partial->close();
        printer.SetOutputFileName(partial->fileName());
    }
    if (report.ReportInfo.Title.isEmpty() && report.FileName.isEmpty())
        report.FileName = o.input;
    report.ShowProgress = false;
    pq::TRMPrintRequest request;
    request.Pages = o.printPages;
    request.Copies = o.copies > 0 ? o.copies : report.DefaultCopies;
    request.Collate = !o.uncollated && report.DefaultCollate;
    try {
        bool prepared = true;
        const pq::TRMPrintOutcome outcome = prepare
            ? pq::RMPrepareAndPrint(report, request, pq::TRMOutputMode::Auto, &prepared)
            : pq::RMPrintPreparedReport(report, request);
        if (!prepared) {
            Err(QStringLiteral("%1: the report could not be prepared").arg(o.input));
            return kExitBadInput;
        }
        if (outcome.PagesPrinted == 0) {
            Err(QStringLiteral("no page of %1 is in the list \"%2\"").arg(o.input, o.printPages));
            return kExitBadInput;
        }
        if (partial) {
            // rename(2) replaces the old file in one step.
            if (std::rename(QFile::encodeName(partial->fileName()).constData(), QFile::encodeName(o.printFile).constData()) != 0) {
                Err(QStringLiteral("cannot write %1: %2").arg(o.printFile, QString::fromLocal8Bit(std::strerror(errno))));
                return kExitWriteFailed;
            }
            partial->setAutoRemove(false);
        }
        std::printf("%d sheet(s) in %d job(s) sent to %s\n", outcome.PagesPrinted, outcome.Jobs,
            target.toLocal8Bit().constData());
        return kExitOk;
    } catch (const pq::TRMPageListError& e) {
        Err(QStringLiteral("--pages: %1").arg(e.Message()));
        return kExitUsage;
    } catch (const pq::TRMPrinterError& e) {
        Err(QStringLiteral("printing on %1 failed: %2").arg(target, e.Message()));
        return partial ? kExitWriteFailed : kExitPrintFailed;
    }
}

} // namespace

// Shows the pages in the preview window until it is closed (or, with a screenshot asked
// for, until the picture is written).
int Preview(pq::TRMReport& report, const Options& options)
{
    report.ModalPreview = false;
    report.ReportInfo.Title = QFileInfo(options.input).fileName();
    auto* form = new pq::TRMPreviewForm;
    form->ShowFor(&report);
    int rc = kExitOk;
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(500, form, [form, &options, &rc] {
            QString error;
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            form->grab().save(&buffer, "PNG");
            if (!pq::WriteFileWhole(options.screenshot, png, &error)) {
                Err(QStringLiteral("cannot write %1: %2").arg(options.screenshot, error));
                rc = kExitWriteFailed;
            }
            form->close();
        });
    }
    QApplication::exec();
    return rc;
}

// The prepared pages where the options send them.
int Output(pq::TRMReport& report, const Options& options)
{
    if (options.preview)
        return Preview(report, options);
    pq::TRMEMFPages& pages = pq::RMPreparedPages(report);
    if (!options.pdf.isEmpty())
        if (const int rc = WritePdf(pages, options.pdf, options.pdfDpi); rc != kExitOk)
            return rc;
    if (!options.png.isEmpty())
        if (const int rc = WritePngs(pages, options.png, options.dpi); rc != kExitOk)
            return rc;
    if (!options.xlsx.isEmpty())
        if (const int rc = WriteXlsx(pages, options.xlsx, options.xlsxOneSheet); rc != kExitOk)
            return rc;
    if (!options.printQueue.isEmpty() || !options.printFile.isEmpty())
        return Print(report, options);
    return kExitOk;
}

int main(int argc, char** argv)
{
    // Headless unless told otherwise or asked for the preview: only that shows a window.
    const bool preview = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::strcmp(a, "--preview") == 0; });
    const bool print = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::strcmp(a, "--print") == 0; });
    if (!preview)
        pq::RMUseOffscreenUnlessSet();
    // Widgets: report data sets live on the engine's hidden dialog form.
    QApplication app(argc, argv);
    // The preview is for a person: the machine's printers and the usual message boxes.
    std::optional<pq::TRMHeadlessEngine> headless;
    std::optional<pq::TRMEngineStartup> interactive;
    if (preview)
        interactive.emplace(pq::TRMEngineOptions{});
    else
        headless.emplace(QStringLiteral("pq-render: "), print);

    const std::optional<Options> options = Parse(QCoreApplication::arguments());
    if (!options) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (!options->sample.isEmpty()) {
        QString error;
        if (!pq::WriteFileWhole(options->sample, pq::RMSamplePreparedFile(), &error)) {
            Err(QStringLiteral("cannot write %1: %2").arg(options->sample, error));
            return kExitWriteFailed;
        }
        return kExitOk;
    }

    if (options->formDemo) {
        try {
            pq::TRMFormDemo demo;
            return Output(demo.Prepare(options->control), *options);
        } catch (const std::exception& e) {
            Err(QStringLiteral("--form-demo: %1").arg(QString::fromStdString(e.what())));
            return kExitBadInput;
        }
    }

    QString error;
    const std::optional<QByteArray> input = pq::ReadFileWhole(options->input, &error);
    if (!input) {
        Err(QStringLiteral("cannot read %1: %2").arg(options->input, error));
        return kExitBadInput;
    }
    pq::TRMReport report;
    pq::TRMEMFPages& pages = pq::RMPreparedPages(report);
    if (options->pageMemoryMiB > 0)
        pages.SetMemoryBudget(qint64(options->pageMemoryMiB) << 20);
    const QByteArray& bytes = *input;
    pq::TRMReportData sets;
    if (!options->grid.isEmpty()) {
        pq::TRMCsvGridReport table;
        pq::TRMCsvGridOptions gridOptions;
        gridOptions.Title = options->title;
        gridOptions.FixedColumns = std::max(0, options->fixedCols);
        QStringList warnings;
        try {
            pq::TRMReport& prepared = table.Prepare(bytes, options->grid, gridOptions, warnings);
            for (const QString& warning : warnings)
                Err(QStringLiteral("warning: %1").arg(warning));
            return Output(prepared, *options);
        } catch (const std::exception& e) {
            Err(QStringLiteral("%1: %2").arg(options->grid, QString::fromStdString(e.what())));
            return kExitBadInput;
        }
    }
    if (IsReportFile(bytes)) {
        if (const int rc = PrepareReportFile(*options, bytes, report, sets); rc != kExitOk)
            return rc;
        if (PdfOnly(*options))
            return kExitOk;
        return PrintOnly(*options) ? Print(report, *options, true) : Output(report, *options);
    }
    const pq::TRMLoadResult result = pages.LoadFromStream(bytes, false);
    switch (result.Status) {
    case pq::TRMLoadStatus::NotReportFile:
        Err(QStringLiteral("%1: not a prepared report file (%2)")
                .arg(options->input, pq::RMLoadStr(pq::res::kNotPreparedFile)));
        return kExitBadInput;
    case pq::TRMLoadStatus::Unsupported:
    case pq::TRMLoadStatus::Damaged:
        Err(QStringLiteral("%1: cannot read the file (%2): %3")
                .arg(options->input, pq::RMLoadStr(pq::res::kUnsupportedFormat), result.ErrorText));
        return kExitBadInput;
    default:
        break;
    }
    WarnSkipped(options->input, result);
    return Output(report, *options);
}
