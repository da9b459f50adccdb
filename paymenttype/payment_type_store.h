// The store of payment types: loads the list and adds, modifies and deletes single payment
// types through the application server, testing first whether a code is taken. Each
// operation reports its own failure in an error box and answers with a boolean.
#pragma once

#include "paymenttype/payment_type_records.h"

class QWidget;

namespace pq {

class ClientDataSet;
class EditableStringGrid;
class IAppServer;

class TPaymentTypeClass {
public:
    // window: owner of the list's error box; cdsmain: the window's data set for queries;
    // grid: the window's grid, cleared on a duplicate new code. The server is the plug-in's
    // unless one is given.
    TPaymentTypeClass(QWidget* window, ClientDataSet* cdsmain, EditableStringGrid* grid, IAppServer* server = nullptr);

    TPaymentTypeRecords Records;

    void LoadList();
    bool AddRecord(const TPaymentTypeRecord& rec);
    bool ModifyRecord(const TPaymentTypeRecord& rec, const TPaymentTypeRecord& cached);
    bool DeleteRecord(const QString& code);

    // A value placed between single quotes in a statement: quotes inside it are doubled.
    static QString Quoted(const QString& value);
    // The statements, exactly as sent.
    static QString ListStatement();
    static QString AddExistsStatement(const QString& code);
    static QString InsertStatement(const TPaymentTypeRecord& rec);
    static QString ModifyExistsStatement(const QString& code);
    static QString UpdateStatement(const TPaymentTypeRecord& rec, const QString& cachedCode);
    static QString ChangeCodeStatement(const TPaymentTypeRecord& rec, const QString& cachedCode);
    static QString DeleteStatement(const QString& code);

private:
    IAppServer* Server() const;
    // Runs an existence query into cdsmain. Answers false (after showing the server's
    // errors) when the query itself failed.
    bool QueryCodeExists(const QString& statement, bool& exists);
    bool Execute(const QString& statement, const QString& heading);

    QWidget* m_window;
    ClientDataSet* m_cdsmain;
    EditableStringGrid* m_grid;
    IAppServer* m_server;
};

// Joins the error strings of a failed write, each followed by LF CR.
QString JoinExecuteErrors(const class Variant& errors);

} // namespace pq
