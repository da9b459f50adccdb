#include "base/font_substitutions.h"

#include <QFont>
#include <QStringList>

namespace pq {

void RegisterFontSubstitutions()
{
    const QStringList cjk{QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Zen Hei Sharp"),
        QStringLiteral("Noto Sans CJK SC")};
    const QStringList latin{QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Zen Hei")};
    for (const char* face : {"宋体", "SimSun", "新宋体", "NSimSun", "黑体", "SimHei", "仿宋_GB2312", "楷体_GB2312"})
        QFont::insertSubstitutions(QString::fromUtf8(face), cjk);
    for (const char* face : {"MS Sans Serif", "Arial", "Tahoma", "Microsoft Sans Serif", "Times New Roman", "Courier New"})
        QFont::insertSubstitutions(QString::fromUtf8(face), latin);
}

} // namespace pq
