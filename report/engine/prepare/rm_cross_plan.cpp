#include "report/engine/prepare/rm_cross_plan.h"

namespace pq {

bool TRMCrossPlan::Take(int item, bool fits)
{
    if (item <= m_to)
        return true;
    if (!m_closed && (fits || m_to < m_from)) {
        m_to = item;
        return true;
    }
    m_closed = true;
    m_more = true;
    return false;
}

bool TRMCrossPlan::NextForming()
{
    const bool more = m_more;
    // Every forming that has to go on took at least one item: progress is certain.
    if (m_to >= m_from)
        m_from = m_to + 1;
    m_to = m_from - 1;
    m_closed = m_more = false;
    return more;
}

} // namespace pq
