#include "tests/appserver/client_window.h"

#include "plugin/frm_base.h"
#include "plugin/plugin_context.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

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

QWidget* ClientWindow::Focus() const
{
    QWidget* f = QApplication::focusWidget();
    return f && m_window->isAncestorOf(f) ? f : Grid()->Editor();
}

void ClientWindow::Key(int key, Qt::KeyboardModifiers mods)
{
    QTest::keyClick(Focus(), static_cast<Qt::Key>(key), mods);
}

void ClientWindow::Type(const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(Focus(), char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, Focus(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void ClientWindow::Click(int col, int row)
{
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, Grid()->CellRect(col, row).center());
}

void ClientWindow::Edit(int col, int row, const QString& text)
{
    if (Grid()->Row() != row || Grid()->Col() != col)
        Click(col, row);
    ASSERT_EQ(Grid()->Row(), row);
    ASSERT_EQ(Grid()->Col(), col);
    if (!Grid()->Cell(col, row).isEmpty()) {
        auto* editor = qobject_cast<QLineEdit*>(Grid()->Editor());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        Key(Qt::Key_Backspace);
    }
    ASSERT_EQ(Grid()->Cell(col, row), "");
    Type(text);
}

QStringList ClientWindow::RowCells(int row) const
{
    QStringList out;
    for (int c = 0; c < 4; ++c)
        out << Grid()->Cell(c, row);
    return out;
}

} // namespace pq::test
