#include "resources/rm_locale.h"

#include "resources/rm_strings.h"

namespace pq {

QString TRMLocale::LoadStr(int id) const
{
    if (m_onLoadStr) {
        QString text;
        // A throwing host callback must not take the report down with it: fall back.
        try {
            if (m_onLoadStr(id, text))
                return text;
        } catch (...) {
        }
    }
    return BuiltinString(id);
}

int TRMLocale::LoadInt(int id, int defaultValue) const
{
    bool ok = false;
    const int value = LoadStr(id).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

TRMLocale& RMLocale()
{
    static TRMLocale locale;
    return locale;
}

QString RMLoadStr(int id)
{
    return RMLocale().LoadStr(id);
}

} // namespace pq
