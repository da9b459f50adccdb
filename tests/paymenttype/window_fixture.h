// The payment-type window in a host panel over an in-memory SQLite server, driven with real
// key and mouse events on a shown window.
#pragma once

#include "base/message_box.h"
#include "paymenttype/frm_payment_type.h"
#include "plugin/plugin_context.h"
#include "plugin/plugin_messages.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_app_server.h"
#include "widgets/editable_string_grid.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace pq::test {

// Stands for the host window: counts the close notices and when they came.
class HostRecorder : public QObject {
public:
    int closed = 0;
    std::function<void()> onClosed;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == static_cast<QEvent::Type>(WM_PLUGIN_CLOSED)) {
            ++closed;
            if (onClosed)
                onClosed();
            return true;
        }
        return QObject::event(e);
    }
};

class WindowFixture : public ::testing::Test {
protected:
    // Seeds the database with the given statements (or the demo data) and opens the window.
    void Open(const QStringList& seed = {}, bool demo = false, const QString& operatorCode = QStringLiteral("0001"))
    {
        server = new RecordingAppServer(demo);
        ref = AppServerRef(server);
        if (!demo) {
            server->Exec("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0001','集团总部')");
            server->Exec("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0002','华东分公司')");
            server->Exec("insert into tbzyda(f_zybm,f_zymc) values('0001','张晓明')");
        }
        for (const QString& s : seed)
            EXPECT_TRUE(server->Exec(s)) << s.toStdString();
        if (beforeOpen)
            beforeOpen();
        Context().OperatorCode = operatorCode;
        Context().HostWindow = &host;
        Context().HostAppHandle = &top;
        top.resize(720, 480);
        panel = new QWidget(&top);
        panel->setGeometry(0, 0, 698, 442);
        panel->show();
        top.show();
        QApplication::setActiveWindow(&top);
        window = TFrmBase::CreateForm<TfrmpaymentType>(panel, server);
        window->PanelMain()->resize(panel->size());
        window->show();
        QApplication::processEvents();
        server->calls.clear();
    }

    void TearDown() override
    {
        delete window.data();
        Context().HostWindow = nullptr;
        Context().HostAppHandle = nullptr;
        Context().ApplicationHandle = nullptr;
        Context().OperatorCode.clear();
    }

    EditableStringGrid* Grid() const { return window->sgdPaymentType; }
    TPaymentTypeRecords& Records() const { return window->PaymentTypeStore()->Records; }
    QWidget* Focus() const
    {
        QWidget* f = QApplication::focusWidget();
        return f ? f : Grid()->Editor();
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(Focus(), static_cast<Qt::Key>(key), mods);
    }
    void Type(const QString& text)
    {
        for (QChar ch : text) {
            if (ch.unicode() < 0x80)
                QTest::keyClick(Focus(), char(ch.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, Focus(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    void Click(int col, int row)
    {
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, Grid()->CellRect(col, row).center());
    }
    // Puts the cursor on a cell by clicking it and types text into it, replacing what was there.
    void Edit(int col, int row, const QString& text)
    {
        if (Grid()->Row() != row || Grid()->Col() != col)
            Click(col, row);
        ASSERT_EQ(Grid()->Row(), row);
        ASSERT_EQ(Grid()->Col(), col);
        // Select what the cell holds, as a double click would, and type over it.
        if (!Grid()->Cell(col, row).isEmpty()) {
            auto* editor = qobject_cast<QLineEdit*>(Grid()->Editor());
            ASSERT_NE(editor, nullptr);
            editor->selectAll();
            Key(Qt::Key_Backspace);
        }
        ASSERT_EQ(Grid()->Cell(col, row), "");
        Type(text);
    }
    QStringList RowCells(int row) const
    {
        QStringList out;
        for (int c = 0; c < 4; ++c)
            out << Grid()->Cell(c, row);
        return out;
    }
    // code|name|unit of a stored payment type, "<none>" when there is none.
    QString Db(const QString& code)
    {
        return server->Scalar("select f_Zffsbm||'|'||coalesce(f_Zffsmc,'~')||'|'||coalesce(f_zdfkhsdwh,'~') from tbZffs where f_Zffsbm='"
            + code + "'");
    }
    int DbCount() { return server->Count("select count(*) from tbZffs"); }
    QStringList Writes() const
    {
        QStringList w;
        for (const QString& s : server->Statements(kDispExecuteSql))
            w << s;
        return w;
    }

    MessageBoxRecorder boxes;
    HostRecorder host;
    QWidget top;
    QWidget* panel = nullptr;
    RecordingAppServer* server = nullptr;
    AppServerRef ref;
    QPointer<TfrmpaymentType> window;
    std::function<void()> beforeOpen;
};

} // namespace pq::test
