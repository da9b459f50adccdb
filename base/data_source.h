// A data source: the link between a client data set and the controls that show it. It
// watches the data set and says, as signals, when its rows or its current record changed, so
// a grid repaints and follows the cursor; a data set whose controls are disabled says nothing
// until they are enabled again.
#pragma once

#include "base/client_dataset.h"

#include <QObject>

namespace pq {

class TDataSource : public QObject, private ClientDataSetObserver {
    Q_OBJECT
public:
    explicit TDataSource(QObject* owner = nullptr, ClientDataSet* dataSet = nullptr);
    ~TDataSource() override;

    // The data set shown (borrowed; cleared when the data set goes).
    ClientDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(ClientDataSet* dataSet);
    // A disabled source passes nothing on and reads as having no data set.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // The data set when there is one and the source is enabled, else nullptr.
    ClientDataSet* ActiveDataSet() const { return m_enabled ? m_dataSet : nullptr; }

signals:
    // Rows, fields or the data set itself changed.
    void DataChanged();
    // The current record moved.
    void RecordMoved();

private:
    void DataSetChanged() override;
    void DataSetScrolled() override;
    void DataSetDestroyed() override;

    ClientDataSet* m_dataSet = nullptr;
    bool m_enabled = true;
};

} // namespace pq
