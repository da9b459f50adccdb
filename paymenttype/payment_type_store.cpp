#include "paymenttype/payment_type_store.h"

#include "base/client_dataset.h"
#include "base/gbk_text.h"
#include "base/message_box.h"
#include "plugin/app_server.h"
#include "plugin/plugin_context.h"
#include "plugin/server_errors.h"
#include "widgets/editable_string_grid.h"

namespace pq {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Closes the data set on every way out of an operation.
struct CloseOnExit {
    ClientDataSet* ds;
    ~CloseOnExit() { ds->Close(); }
};
} // namespace

QString JoinExecuteErrors(const Variant& errors)
{
    QString text;
    try {
        for (int i = errors.lowBound(); i <= errors.highBound(); ++i)
            text += errors.at(i).toText() + QStringLiteral("\n\r");
    } catch (const VariantError&) {
        text += QStringLiteral("未知错误！") + QStringLiteral("\n\r");
    }
    return text;
}

TPaymentTypeClass::TPaymentTypeClass(QWidget* window, ClientDataSet* cdsmain, EditableStringGrid* grid, IAppServer* server)
    : m_window(window), m_cdsmain(cdsmain), m_grid(grid), m_server(server)
{
}

IAppServer* TPaymentTypeClass::Server() const { return m_server ? m_server : AppServer(); }

QString TPaymentTypeClass::Quoted(const QString& value)
{
    QString v = value;
    return v.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString TPaymentTypeClass::ListStatement()
{
    return QStringLiteral("Select f_Zffsbm,f_Zffsmc,f_zdfkhsdwh,f_hsdwmc from tbZffs left join tbhsdwda on f_zdfkhsdwh=f_hsdwh");
}

QString TPaymentTypeClass::AddExistsStatement(const QString& code)
{
    return QStringLiteral("Select f_Zffsbm From tbZffs Where f_Zffsbm='") + Quoted(code) + QStringLiteral("'");
}

QString TPaymentTypeClass::InsertStatement(const TPaymentTypeRecord& r)
{
    return QStringLiteral("Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('") + Quoted(r.Code) + QStringLiteral("',")
        + QStringLiteral("'") + Quoted(r.Name) + QStringLiteral("',") + QStringLiteral("'") + Quoted(r.UnitNo)
        + QStringLiteral("')");
}

QString TPaymentTypeClass::ModifyExistsStatement(const QString& code)
{
    return QStringLiteral("Select f_Zffsbm from tbZffs Where f_Zffsbm='") + Quoted(code) + QStringLiteral("'");
}

QString TPaymentTypeClass::UpdateStatement(const TPaymentTypeRecord& r, const QString& cachedCode)
{
    return QStringLiteral("Update tbZffs set f_Zffsmc='") + Quoted(r.Name) + QStringLiteral("',")
        + QStringLiteral("f_zdfkhsdwh='") + Quoted(r.UnitNo) + QStringLiteral("' ") + QStringLiteral(" where(f_Zffsbm='")
        + Quoted(cachedCode) + QStringLiteral("')");
}

QString TPaymentTypeClass::ChangeCodeStatement(const TPaymentTypeRecord& r, const QString& cachedCode)
{
    // The name is written too: the caller keeps the new name as stored.
    return QStringLiteral("Update tbZffs set f_Zffsbm='") + Quoted(r.Code) + QStringLiteral("',")
        + QStringLiteral("f_Zffsmc='") + Quoted(r.Name) + QStringLiteral("',") + QStringLiteral("f_zdfkhsdwh='")
        + Quoted(r.UnitNo) + QStringLiteral("' ") + QStringLiteral(" where(f_Zffsbm='") + Quoted(cachedCode)
        + QStringLiteral("')");
}

QString TPaymentTypeClass::DeleteStatement(const QString& code)
{
    return QStringLiteral("Delete From tbZffs where(f_Zffsbm='") + Quoted(code) + QStringLiteral("')");
}

void TPaymentTypeClass::LoadList()
{
    Records.clear();
    Variant data;
    if (!QueryData(Server(), ListStatement(), data)) {
        ShowServerError(m_window, data);
        return;
    }
    CloseOnExit closer{m_cdsmain};
    m_cdsmain->LoadPacket(data);
    if (m_cdsmain->IsEmpty())
        return;
    // The fields are found once for the packet, not once per row.
    const int code = m_cdsmain->RequireFieldIndex(QStringLiteral("f_Zffsbm"));
    const int name = m_cdsmain->RequireFieldIndex(QStringLiteral("f_Zffsmc"));
    const int unitNo = m_cdsmain->RequireFieldIndex(QStringLiteral("f_zdfkhsdwh"));
    const int unitName = m_cdsmain->RequireFieldIndex(QStringLiteral("f_hsdwmc"));
    Records.reserve(m_cdsmain->RecordCount());
    for (m_cdsmain->First(); !m_cdsmain->Eof(); m_cdsmain->Next()) {
        TPaymentTypeRecord r;
        r.Code = m_cdsmain->Text(code);
        r.Name = m_cdsmain->Text(name); // a NULL name reads as empty text
        r.UnitNo = m_cdsmain->Text(unitNo);
        r.UnitName = m_cdsmain->Text(unitName);
        Records.append(std::move(r));
    }
}

bool TPaymentTypeClass::QueryCodeExists(const QString& statement, bool& exists)
{
    Variant data;
    if (!QueryData(Server(), statement, data)) {
        // Without an answer the code cannot be taken as free.
        ShowServerError(m_window, data);
        return false;
    }
    m_cdsmain->LoadPacket(data);
    exists = !m_cdsmain->IsEmpty();
    return true;
}

bool TPaymentTypeClass::Execute(const QString& statement, const QString& heading)
{
    Variant stmt(statement);
    if (ExecuteSql(Server(), stmt))
        return true;
    ShowErrorBox(ApplicationWindow(), heading + kCrLf + JoinExecuteErrors(stmt));
    return false;
}

bool TPaymentTypeClass::AddRecord(const TPaymentTypeRecord& rec)
{
    CloseOnExit closer{m_cdsmain};
    bool exists = false;
    if (!QueryCodeExists(AddExistsStatement(rec.Code), exists))
        return false;
    if (!exists)
        return Execute(InsertStatement(rec), QStringLiteral("增加支付方式时错误!"));

    ShowErrorBox(ApplicationWindow(), rec.Code + QStringLiteral("支付方式存在,无法新增!"));
    if (m_grid) {
        const int row = m_grid->Row();
        m_grid->SetCell(1, row, QString());
        m_grid->SetCell(0, row, QString());
        m_grid->setFocus();
        m_grid->TrySetCurrent(0, row);
    }
    return false;
}

bool TPaymentTypeClass::ModifyRecord(const TPaymentTypeRecord& rec, const TPaymentTypeRecord& cached)
{
    if (TrimBlanks(rec.Code) == TrimBlanks(cached.Code))
        return Execute(UpdateStatement(rec, cached.Code), QStringLiteral("修改支付方式时错误!"));

    CloseOnExit closer{m_cdsmain};
    bool exists = false;
    if (!QueryCodeExists(ModifyExistsStatement(rec.Code), exists))
        return false;
    if (!exists)
        return Execute(ChangeCodeStatement(rec, cached.Code), QStringLiteral("修改支付方式时错误!"));
    ShowErrorBox(ApplicationWindow(), rec.Code + QStringLiteral("支付方式存在,无法修改!"));
    return false;
}

bool TPaymentTypeClass::DeleteRecord(const QString& code)
{
    return Execute(DeleteStatement(code), QStringLiteral("删除支付方式时错误!"));
}

} // namespace pq
