#include "report/preview/printer/page_setting.h"

#include <utility>

namespace pq {

void TRMPageSetting::SetOrientation(int value)
{
    if (value == m_orientation)
        return;
    m_orientation = value;
    std::swap(m_paperWidth, m_paperHeight);
}

void TRMPageSetting::SetMarginLeft(double value)
{
    if (value >= 0)
        m_marginLeft = value;
}

void TRMPageSetting::SetMarginTop(double value)
{
    if (value >= 0)
        m_marginTop = value;
}

void TRMPageSetting::SetMarginRight(double value)
{
    if (value >= 0)
        m_marginRight = value;
}

void TRMPageSetting::SetMarginBottom(double value)
{
    if (value >= 0)
        m_marginBottom = value;
}

void TRMPageSetting::SetColumns(int value)
{
    if (value > 0)
        m_columns = value;
}

void TRMPageSetting::SetColumnGap(double value)
{
    if (value >= 0)
        m_columnGap = value;
}

} // namespace pq
