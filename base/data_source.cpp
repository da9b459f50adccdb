#include "base/data_source.h"

namespace pq {

TDataSource::TDataSource(QObject* owner, ClientDataSet* dataSet) : QObject(owner) { SetDataSet(dataSet); }

TDataSource::~TDataSource()
{
    if (m_dataSet)
        m_dataSet->RemoveObserver(this);
}

void TDataSource::SetDataSet(ClientDataSet* dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->RemoveObserver(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->AddObserver(this);
    emit DataChanged();
}

void TDataSource::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    emit DataChanged();
}

void TDataSource::DataSetChanged()
{
    if (m_enabled)
        emit DataChanged();
}

void TDataSource::DataSetScrolled()
{
    if (m_enabled)
        emit RecordMoved();
}

void TDataSource::DataSetDestroyed()
{
    m_dataSet = nullptr;
    emit DataChanged();
}

} // namespace pq
