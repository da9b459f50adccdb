// The payment-type master file ("支付方式档案"): a tool bar over an editable grid of all
// payment types. A row is checked and written when the operator leaves it, on Enter in its
// last column, and before the add, insert and refresh commands; there is no save button.
#pragma once

#include "base/client_dataset.h"
#include "paymenttype/helppopup/rop_win.h"
#include "paymenttype/payment_type_store.h"
#include "plugin/frm_base.h"

#include <QString>
#include <QStringList>

#include <memory>

class QToolBar;
class QToolButton;

namespace pq {

class EditableStringGrid;
class IAppServer;
class TDataSource;
class TDBGridMT;
class TRMFormReport;

// Values of the open window, process-wide as the window is one at a time.
struct PaymentTypeWindowValues {
    QString OperatorName;
    QString ServerDateText;
    QString ServerTimeText;
};
PaymentTypeWindowValues& WindowValues();
// Library unload: the three texts are cleared.
void ClearWindowValues();

class TfrmpaymentType : public TFrmBase {
    Q_OBJECT
public:
    explicit TfrmpaymentType(QWidget* ownerPanel, IAppServer* server = nullptr);
    ~TfrmpaymentType() override;

    // Handlers.
    void FormCreate() override;
    void FormShow();
    void FormClose() override;
    // True when the key ran one of the window's commands (Ctrl+A, I, D, V, P, R).
    bool FormKeyDown(int key, Qt::KeyboardModifiers mods);
    void btnAddClick();
    void btnInsertClick();
    void btnDeleteClick();
    void btnRefreshClick();
    void btnPreviewClick();
    void btnPrintClick();
    void ToolButton1Click();
    void btnExitClick();
    bool sgdPaymentTypeSelectCell(int col, int row);
    bool sgdPaymentTypeKeyDown(int& key, Qt::KeyboardModifiers mods);
    bool sgdPaymentTypeKeyPress(QChar& ch);

    // Editing operations.
    bool CheckRow(int r);
    bool SaveRow();
    static QString TrimOrBlank(const QString& text);
    void FillGrid();
    // Previews (false) or prints (true) the list.
    void PrintList(bool toPrinter);

    // Components, named as the window's design names them.
    QToolBar* tlbPaymentType = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnInsert = nullptr;
    QToolButton* btnDelete = nullptr;
    QToolButton* btnRefresh = nullptr;
    QToolButton* btnPreview = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* btnExit = nullptr;
    EditableStringGrid* sgdPaymentType = nullptr;
    ClientDataSet cdsmain;
    ClientDataSet Cdset;
    TRopWin RopHelp{this};
    // List printing: the rows to print, the hidden grid showing them, the report of that grid.
    ClientDataSet cdsprint;
    TDataSource* dsprint = nullptr;
    TDBGridMT* dgdView = nullptr;
    TRMFormReport* RMFormReport1 = nullptr;

    TPaymentTypeClass* PaymentTypeStore() const { return m_store.get(); }

    bool Appending = false;
    bool Inserting = false;
    bool SkipCheck = false;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildToolBar();
    void BuildGrid();
    void BuildListPrinting();
    IAppServer* Server() const;
    // Whether the cells of a row differ from the stored record it shows (a row that is not
    // stored counts as edited when any cell holds text).
    bool RowEdited(int r) const;
    // Makes the last row, then column 1 current; a refused move leaves the cursor where the
    // refusal kept it.
    void GoToLastRow();
    bool LookUpUnit(int r, bool& unitKnown);

    IAppServer* m_server;
    std::unique_ptr<TPaymentTypeClass> m_store;
    // Errors met while the window was being created, shown when it is first shown.
    QStringList m_startupErrors;
};

} // namespace pq
