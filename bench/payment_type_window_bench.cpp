// The payment-type window over N payment types in a SQLite database: the time from the
// window's creation to its first paint (the server's date, time and operator, the list
// loaded into records, the grid filled, one paint), and the parts: the query alone (and read
// through a Qt SQL query instead of straight from SQLite, as before), the list
// loaded (query, packet, records), the grid filled again (load and grid; the grid's part is
// the difference), one paint.
//
//   pq_payment_type_window_bench              10,000 and 100,000 payment types
//   pq_payment_type_window_bench 50000 ...    the counts given
//
// One run per count is the measurement (the first open of a process pays for fonts and
// styles, so a warm-up window opens first); Google Benchmark keeps the optimiser honest.
#include "appserver/qt_sql_reader.h"
#include "appserver/sqlite_app_server.h"
#include "base/result_packet.h"
#include "paymenttype/frm_payment_type.h"
#include "paymenttype/payment_type_store.h"
#include "plugin/app_server.h"
#include "plugin/plugin_context.h"
#include "report/tools/headless_engine.h"
#include "widgets/editable_string_grid.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <sys/resource.h>
#include <cstdlib>
#include <vector>

namespace {

// Codes of four characters from 36 letters and digits: 1.6 million fit the column.
QString Code(int i)
{
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString code(4, QLatin1Char('0'));
    for (int k = 3; k >= 0; --k) {
        code[k] = QLatin1Char(digits[i % 36]);
        i /= 36;
    }
    return code;
}

// A database with count payment types (names of the usual length, units of the four demo
// units), filled in one transaction.
bool Fill(pq::IAppServer* server, int count)
{
    const int chunk = 500;
    for (int from = 0; from < count; from += chunk) {
        QString sql = QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values");
        for (int i = from; i < std::min(count, from + chunk); ++i) {
            static const char* units[] = {"0001", "0002", "0003", "0101"};
            sql += QStringLiteral("%1('%2','演示支付方式%3','%4')")
                       .arg(i == from ? QString() : QStringLiteral(","), Code(1000 + i))
                       .arg(i + 1)
                       .arg(QString::fromLatin1(units[i % 4]));
        }
        pq::Variant statement(sql);
        if (!pq::ExecuteSql(server, statement))
            return false;
    }
    return true;
}

struct Figures {
    double openMs = 0;   // creation to first paint
    double createMs = 0; // of that, the window made (server date, time and operator)
    double showMs = 0;   // of that, shown (the list loaded, the grid filled, the last row current)
    double queryMs = 0;  // the list's query alone
    double qtQueryMs = 0; // the same query read through a Qt SQL query instead
    double loadMs = 0;   // the list into records (query, packet, records)
    double fillMs = 0;   // FillGrid again (load and grid)
    double paintMs = 0;  // one paint of the window
    long openFaults = 0;  // pages the open touched first (minor page faults)
    int rows = 0;
};

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

Figures Open(pq::SqliteAppServer* server)
{
    Figures f;
    QWidget top;
    top.resize(720, 480);
    auto* panel = new QWidget(&top);
    panel->setGeometry(0, 0, 698, 442);
    pq::Context().HostAppHandle = &top;
    pq::Context().OperatorCode = QStringLiteral("0001");
    top.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    const long faultsBefore = MinorFaults();
    clock.start();
    auto* window = pq::TFrmBase::CreateForm<pq::TfrmpaymentType>(panel, server);
    window->PanelMain()->resize(panel->size());
    f.createMs = clock.nsecsElapsed() / 1e6;
    window->show(); // the show handler loads the list into the grid
    f.showMs = clock.nsecsElapsed() / 1e6 - f.createMs;
    top.repaint();
    f.openMs = clock.nsecsElapsed() / 1e6;
    f.openFaults = MinorFaults() - faultsBefore;
    f.rows = window->sgdPaymentType->RowCount() - 1;

    clock.restart();
    pq::Variant data;
    pq::QueryData(server, pq::TPaymentTypeClass::ListStatement(), data);
    f.queryMs = clock.nsecsElapsed() / 1e6;
    benchmark::DoNotOptimize(data);

    clock.restart();
    {
        pq::ResultPacket packet;
        QString failure;
        pq::QtSqlReadPacket(server->Database(), pq::TPaymentTypeClass::ListStatement(), packet, failure);
        benchmark::DoNotOptimize(packet);
    }
    f.qtQueryMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    window->PaymentTypeStore()->LoadList();
    f.loadMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    window->FillGrid();
    f.fillMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    top.repaint();
    f.paintMs = clock.nsecsElapsed() / 1e6;

    delete window;
    pq::Context().HostAppHandle = nullptr;
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    pq::RMUseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const pq::TRMHeadlessEngine headless;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::max(1, std::atoi(argv[i])));
    if (counts.empty())
        counts = {10000, 100000};

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::printf("payment-type window, SQLite, offscreen\n");
    std::printf("%9s %9s %9s %9s %9s | %9s %9s %9s %9s %9s %9s\n", "types", "open ms", "create", "show", "faults", "query ms",
        "Qt query", "load ms", "fill ms", "grid ms", "paint ms");
    bool warmed = false;
    for (int count : counts) {
        const QString db = dir.filePath(QStringLiteral("types-%1.sqlite").arg(count));
        pq::SqliteAppServer* sqlite = pq::SqliteAppServer::Open(db);
        pq::AppServerRef server(sqlite);
        // The demo data holds seven payment types already.
        if (!server || !Fill(server.get(), count - 7)) {
            std::fprintf(stderr, "cannot fill %s\n", qPrintable(db));
            return 1;
        }
        if (!warmed) {
            Open(sqlite);
            warmed = true;
        }
        const Figures f = Open(sqlite);
        // The grid's part of a fill: the fill less the list's load.
        std::printf("%9d %9.1f %9.1f %9.1f %9ld | %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f\n", f.rows, f.openMs, f.createMs,
            f.showMs, f.openFaults, f.queryMs, f.qtQueryMs, f.loadMs, f.fillMs, f.fillMs - f.loadMs, f.paintMs);
    }
    return 0;
}
