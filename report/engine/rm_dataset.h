// Report data sources and how reports find data by owner form and name.
//
// A form lets reports reach one of its client data sets by naming it with a
// TRMFormDataSet child; report expressions then write "[form.dataset."field"]". Report data
// sources (TRMDataset and descendants) are components too: their owner form is their
// parent, their name the object name.
#pragma once

#include "report/engine/rm_types.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "base/variant.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace pq {

class TRMReport;

// Names a client data set on a form (its parent) for report expressions.
class TRMFormDataSet : public QObject {
    Q_OBJECT
public:
    TRMFormDataSet(QObject* form, const QString& name, ClientDataSet* dataSet);
    ClientDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(ClientDataSet* ds) { m_dataSet = ds; }

private:
    ClientDataSet* m_dataSet; // borrowed: the form owns the data set
};

// A report data source: a row counter with range rules and events.
class TRMDataset : public QObject {
    Q_OBJECT
public:
    explicit TRMDataset(QObject* owner = nullptr, const QString& name = {});
    ~TRMDataset() override;

    std::uint8_t RangeBegin = rbFirst;
    std::uint8_t RangeEnd = reLast;
    int RangeEndCount = 0;
    int RecNo = 0;

    std::function<void()> OnOpen, OnClose, OnFirst, OnNext, OnPrior;
    std::function<void(bool& eof)> OnCheckEOF;

    virtual void Init() {}
    virtual void Exit() {}
    virtual void First();
    virtual void Next();
    virtual void Prior();
    virtual bool Eof() const;
    virtual int RecordCount() const { return RangeEnd == reCount ? RangeEndCount : 0; }

    // Links this source as a detail of master (nullptr unlinks).
    void SetMasterDataset(TRMDataset* master);
    TRMDataset* MasterDataset() const { return m_master; }
    const QList<TRMDataset*>& Details() const { return m_details; }

    QString Name() const { return objectName(); }

protected:
    void MoveDetailsFirst();

private:
    QPointer<TRMDataset> m_master;
    QList<TRMDataset*> m_details;
};

// A source without records: with reCount it yields RangeEndCount rows.
class TRMUserDataset : public TRMDataset {
    Q_OBJECT
public:
    using TRMDataset::TRMDataset;
};

// A source over a client data set.
class TRMDBDataSet : public TRMDataset {
    Q_OBJECT
public:
    using TRMDataset::TRMDataset;

    ClientDataSet* DataSet = nullptr; // borrowed
    // Read when DataSet is not set.
    QPointer<TDataSource> DataSource;
    bool OpenDataSource = true;
    bool CloseDataSource = false;

    // The data set iterated: DataSet, else the data source's.
    ClientDataSet* Source() const;
    // Throws "Unable to open dataset " + name when there is no data set.
    void Init() override;
    void Exit() override;
    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() const override;
    int RecordCount() const override;

private:
    int m_bookmark = -1;
    bool m_endMark = false;
};

// Finds a component named name (case-insensitive) owned by a form named formName among
// the report's reference form and the hidden dialog form, in that order. An empty formName
// searches the hidden dialog form only.
QObject* RMFindComponent(QObject* referenceForm, const QString& formName, const QString& name);
// The client data set behind such a component (a TRMFormDataSet or a TRMDBDataSet), else a
// data set placed on that form under that name.
ClientDataSet* RMFindClientDataSet(QObject* referenceForm, const QString& formName, const QString& name);
// A report data source by "form.name" or plain "name".
TRMDataset* RMFindDataset(QObject* referenceForm, const QString& text);

// Splits a data-field reference written form.dataset."field" (the field may also be
// unquoted); false when the text has no such shape.
bool RMSplitDataFieldRef(const QString& text, QString& form, QString& dataSet, QString& field);

// The current record's value of form.dataset."field": true and value set when the data
// set and field exist and the data set has a current record.
bool RMGetDataFieldValue(QObject* referenceForm, const QString& text, Variant& value);

} // namespace pq
