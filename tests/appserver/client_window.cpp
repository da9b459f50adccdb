#include "tests/appserver/client_window.h"

#include "plugin/frm_base.h"
#include "plugin/plugin_context.h"
#include "tests/support/grid_driver.h"

#include <QApplication>

namespace pq::test {

ClientWindow::ClientWindow(IAppServer* server, const QString& operatorCode)
{
    Context().OperatorCode = operatorCode;
    Context().HostAppHandle = &m_top;
    m_top.resize(720, 480);
    m_panel = new QWidget(&m_top);
    m_panel->setGeometry(0, 0, 698, 442);
    m_panel->show();
    m_top.show();
    QApplication::setActiveWindow(&m_top);
    m_window = TFrmBase::CreateForm<TfrmpaymentType>(m_panel, server);
    m_window->PanelMain()->resize(m_panel->size());
    m_window->show();
    QApplication::processEvents();
}

ClientWindow::~ClientWindow()
{
    delete m_window.data();
    if (Context().HostAppHandle == &m_top)
        Context().HostAppHandle = nullptr;
}

void ClientWindow::Activate()
{
    QApplication::setActiveWindow(&m_top);
    Grid()->setFocus();
    QApplication::processEvents();
}

void ClientWindow::Key(int key, Qt::KeyboardModifiers mods) { GridKey(Grid(), m_window, key, mods); }
void ClientWindow::Type(const QString& text) { GridType(Grid(), m_window, text); }
void ClientWindow::Click(int col, int row) { GridClick(Grid(), col, row); }
void ClientWindow::Edit(int col, int row, const QString& text) { GridEdit(Grid(), m_window, col, row, text); }
QStringList ClientWindow::RowCells(int row) const { return GridRowCells(Grid(), row); }

} // namespace pq::test
