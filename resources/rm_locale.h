// The locale object every report-library text goes through: a host-supplied callback is
// asked first, so a host can translate or replace any text; the library's own table
// answers otherwise.
#pragma once

#include <QString>

#include <functional>

namespace pq {

class TRMLocale {
public:
    // Returns true and fills text when the host supplies the string for that number.
    using LoadStrCallback = std::function<bool(int id, QString& text)>;

    void SetOnLoadStr(LoadStrCallback callback) { m_onLoadStr = std::move(callback); }
    const LoadStrCallback& OnLoadStr() const { return m_onLoadStr; }

    QString LoadStr(int id) const;
    // The string read as an integer; defaultValue when it is no integer.
    int LoadInt(int id, int defaultValue) const;

private:
    LoadStrCallback m_onLoadStr;
};

// The process-wide locale, created on first use.
TRMLocale& RMLocale();

// Shorthand for RMLocale().LoadStr(id).
QString RMLoadStr(int id);

} // namespace pq
