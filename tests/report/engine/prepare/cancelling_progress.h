// A progress window that cancels when the final pass reaches a given page, as a user
// pressing Cancel there would.
#pragma once

#include "report/engine/rm_progress.h"

#include <QString>

#include <functional>

namespace pq::test {

class CancellingProgress : public TRMProgress {
public:
    explicit CancellingProgress(int page) : m_at(QStringLiteral("正在处理页:  %1").arg(page)) {}
    bool Run(const QString&, const QString& label, const std::function<void()>& work) override
    {
        m_label = label;
        work();
        return !m_cancelled;
    }
    void SetLabel(const QString& label) override { m_label = label; }
    void ProcessEvents() override
    {
        if (!m_cancelled && m_label == m_at && OnCancel) {
            m_cancelled = true;
            OnCancel();
        }
    }

private:
    QString m_at;
    QString m_label;
    bool m_cancelled = false;
};

} // namespace pq::test
