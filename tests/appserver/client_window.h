// One operator's payment-type window: a host window and panel of its own, a server
// connection of its own, driven with real keys and clicks. Several can be open at once, as
// on the operators' machines; Activate() brings one to the front before it is typed into.
#pragma once

#include "paymenttype/frm_payment_type.h"
#include "plugin/app_server.h"
#include "widgets/editable_string_grid.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace pq::test {

class ClientWindow {
public:
    explicit ClientWindow(IAppServer* server, const QString& operatorCode = QStringLiteral("0001"));
    ~ClientWindow();
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;

    TfrmpaymentType* Window() const { return m_window.data(); }
    EditableStringGrid* Grid() const { return m_window->sgdPaymentType; }
    TPaymentTypeRecords& Records() const { return m_window->PaymentTypeStore()->Records; }

    // Makes this window the active one with the grid focused, as a click into it would.
    void Activate();
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void Type(const QString& text);
    void Click(int col, int row);
    // Clicks a cell and types text over what it held.
    void Edit(int col, int row, const QString& text);
    QStringList RowCells(int row) const;

private:
    QWidget m_top;
    QWidget* m_panel = nullptr;
    QPointer<TfrmpaymentType> m_window;
};

} // namespace pq::test
