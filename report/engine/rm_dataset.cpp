#include "report/engine/rm_dataset.h"

#include "report/engine/rm_engine_state.h"

#include <QWidget>

#include <stdexcept>

namespace pq {

TRMFormDataSet::TRMFormDataSet(QObject* form, const QString& name, ClientDataSet* dataSet)
    : QObject(form)
    , m_dataSet(dataSet)
{
    setObjectName(name);
}

// ---- base source ----

TRMDataset::TRMDataset(QObject* owner, const QString& name)
    : QObject(owner)
{
    setObjectName(name);
}

TRMDataset::~TRMDataset()
{
    SetMasterDataset(nullptr);
    for (TRMDataset* d : m_details)
        d->m_master = nullptr;
}

void TRMDataset::SetMasterDataset(TRMDataset* master)
{
    if (m_master)
        m_master->m_details.removeAll(this);
    m_master = master;
    if (master && master != this && !master->m_details.contains(this))
        master->m_details.append(this);
}

void TRMDataset::MoveDetailsFirst()
{
    for (TRMDataset* d : m_details)
        d->First();
}

void TRMDataset::First()
{
    RecNo = 0;
    MoveDetailsFirst();
    if (OnFirst)
        OnFirst();
}

void TRMDataset::Next()
{
    ++RecNo;
    if (!(RangeEnd == reCount && RecNo >= RangeEndCount))
        MoveDetailsFirst();
    if (OnNext)
        OnNext();
}

void TRMDataset::Prior()
{
    --RecNo;
    MoveDetailsFirst();
    if (OnPrior)
        OnPrior();
}

bool TRMDataset::Eof() const
{
    if (RangeEnd == reCount && RecNo >= RangeEndCount)
        return true;
    bool eof = false;
    if (OnCheckEOF)
        OnCheckEOF(eof);
    return eof;
}

// ---- client data set source ----

ClientDataSet* TRMDBDataSet::Source() const
{
    if (DataSet)
        return DataSet;
    return DataSource ? DataSource->ActiveDataSet() : nullptr;
}

void TRMDBDataSet::Init()
{
    ClientDataSet* ds = Source();
    if (!ds)
        throw std::runtime_error(("Unable to open dataset " + Name()).toStdString());
    m_bookmark = ds->RecNo();
    m_endMark = false;
    if (OnOpen)
        OnOpen();
}

void TRMDBDataSet::Exit()
{
    ClientDataSet* ds = Source();
    if (ds && (RangeBegin == rbCurrent || RangeEnd == reCurrent) && m_bookmark >= 0)
        ds->MoveTo(m_bookmark);
    m_bookmark = -1;
    if (OnClose)
        OnClose();
    if (ds && CloseDataSource)
        ds->Close();
}

void TRMDBDataSet::First()
{
    ClientDataSet* ds = Source();
    m_endMark = false;
    if (ds) {
        if (RangeBegin == rbFirst)
            ds->First();
        else if (RangeBegin == rbCurrent && m_bookmark >= 0)
            ds->MoveTo(m_bookmark);
    }
    TRMDataset::First();
}

void TRMDBDataSet::Next()
{
    ClientDataSet* ds = Source();
    if (ds) {
        if (RangeEnd == reCurrent && ds->RecNo() == m_bookmark) {
            m_endMark = true;
            return;
        }
        ds->Next();
    }
    TRMDataset::Next();
}

void TRMDBDataSet::Prior()
{
    ClientDataSet* ds = Source();
    if (ds && ds->RecNo() > 0)
        ds->MoveTo(ds->RecNo() - 1);
    TRMDataset::Prior();
}

bool TRMDBDataSet::Eof() const
{
    ClientDataSet* ds = Source();
    if (m_endMark || TRMDataset::Eof())
        return true;
    return !ds || !ds->Active() || ds->Eof();
}

int TRMDBDataSet::RecordCount() const
{
    ClientDataSet* ds = Source();
    return ds && ds->Active() ? ds->RecordCount() : 0;
}

// ---- lookup ----

namespace {

QObject* FindChildNamed(QObject* form, const QString& name)
{
    for (QObject* child : form->children())
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

} // namespace

QObject* RMFindComponent(QObject* referenceForm, const QString& formName, const QString& name)
{
    if (name.isEmpty())
        return nullptr;
    QObject* forms[2] = {referenceForm, RMDialogForm()};
    for (QObject* form : forms) {
        if (!form)
            continue;
        if (!formName.isEmpty() && form->objectName().compare(formName, Qt::CaseInsensitive) != 0)
            continue;
        if (formName.isEmpty() && form != forms[1])
            continue;
        if (QObject* c = FindChildNamed(form, name))
            return c;
    }
    return nullptr;
}

ClientDataSet* RMFindClientDataSet(QObject* referenceForm, const QString& formName, const QString& name)
{
    QObject* c = RMFindComponent(referenceForm, formName, name);
    if (auto* f = qobject_cast<TRMFormDataSet*>(c))
        return f->DataSet();
    if (auto* d = qobject_cast<TRMDBDataSet*>(c))
        return d->Source();
    if (c || name.isEmpty())
        return nullptr;
    // A data set placed on the form itself.
    QObject* forms[2] = {referenceForm, RMDialogForm()};
    for (QObject* form : forms) {
        if (!form || (formName.isEmpty() && form != forms[1]))
            continue;
        if (!formName.isEmpty() && form->objectName().compare(formName, Qt::CaseInsensitive) != 0)
            continue;
        if (ClientDataSet* set = ClientDataSet::FindOn(form, name))
            return set;
    }
    return nullptr;
}

TRMDataset* RMFindDataset(QObject* referenceForm, const QString& text)
{
    const QString t = text.trimmed();
    const int dot = t.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return qobject_cast<TRMDataset*>(RMFindComponent(referenceForm, {}, t));
    return qobject_cast<TRMDataset*>(RMFindComponent(referenceForm, t.left(dot), t.mid(dot + 1)));
}

bool RMSplitDataFieldRef(const QString& text, QString& form, QString& dataSet, QString& field)
{
    const QString t = text.trimmed();
    const int first = t.indexOf(QLatin1Char('.'));
    if (first <= 0)
        return false;
    const int second = t.indexOf(QLatin1Char('.'), first + 1);
    if (second <= first + 1 || second + 1 >= t.size())
        return false;
    QString f = t.mid(second + 1);
    if (f.size() >= 2 && f.startsWith(QLatin1Char('"')) && f.endsWith(QLatin1Char('"')))
        f = f.mid(1, f.size() - 2);
    if (f.isEmpty() || f.contains(QLatin1Char('"')))
        return false;
    form = t.left(first);
    dataSet = t.mid(first + 1, second - first - 1);
    field = f;
    return !form.contains(QLatin1Char('"')) && !dataSet.contains(QLatin1Char('"'));
}

bool RMGetDataFieldValue(QObject* referenceForm, const QString& text, Variant& value)
{
    QString form, ds, field;
    if (!RMSplitDataFieldRef(text, form, ds, field))
        return false;
    ClientDataSet* set = RMFindClientDataSet(referenceForm, form, ds);
    if (!set || !set->Active() || set->FieldIndex(field) < 0 || set->IsEmpty() || set->Eof())
        return false;
    value = set->Value(field);
    return true;
}

} // namespace pq
