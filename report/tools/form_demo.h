// A form of ordinary controls printed as a report: a receipt register with a title, two
// edits, a check box, a data grid of the receipts and a string grid summing them by payment
// type. The whole form prints as the grid report lays it out (a form prints its first grid,
// so the data grid's rows are the report's rows), or one named control alone.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace pq {

class ClientDataSet;
class TDBGrid;
class TDataSource;
class TRMFormReport;
class TRMReport;
class TStringGrid;

class TRMFormDemo {
public:
    explicit TRMFormDemo(int receipts = 40);
    ~TRMFormDemo();
    TRMFormDemo(const TRMFormDemo&) = delete;
    TRMFormDemo& operator=(const TRMFormDemo&) = delete;

    QWidget& Form() { return m_form; }
    TDBGrid* Receipts() const { return m_receipts; }
    TStringGrid* Summary() const { return m_summary; }
    TRMFormReport* GridReport() const { return m_report; }
    // The names of the form's controls (what --control accepts).
    QStringList ControlNames() const;

    // Builds and prepares the report of the whole form, or of the named control alone.
    // Throws std::runtime_error with the reason (an unknown control name among them).
    TRMReport& Prepare(const QString& controlName = {});

private:
    QWidget m_form;
    std::unique_ptr<ClientDataSet> m_data;
    TDataSource* m_source = nullptr;
    TDBGrid* m_receipts = nullptr;
    TStringGrid* m_summary = nullptr;
    TRMFormReport* m_report = nullptr;
};

} // namespace pq
