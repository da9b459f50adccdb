// Writes the seed corpus of the fuzz targets into two folders.
#include "fuzz/fuzz_support.h"
#include "report/tools/sample_report.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 1;
    }
    pq::FuzzInit();
    const QString out = QString::fromLocal8Bit(argv[1]);
    const struct { const char* dir; QByteArray data; } seeds[] = {
        {"report", pq::RMSampleReportFile()},
        {"prepared", pq::RMSamplePreparedFile()},
    };
    for (const auto& s : seeds) {
        QDir().mkpath(out + QLatin1Char('/') + QLatin1String(s.dir));
        QFile f(out + QLatin1Char('/') + QLatin1String(s.dir) + QLatin1String("/sample"));
        if (!f.open(QIODevice::WriteOnly) || f.write(s.data) != s.data.size())
            return 1;
    }
    return 0;
}
