// The payment-type window in a host panel over an in-memory SQLite server, driven with real
// key and mouse events on a shown window. The report engine runs headless with the scripted
// laser as its one printer; a preview window the list printing opens is looked at (onPreview)
// and closed as soon as it shows.
#pragma once

#include "base/message_box.h"
#include "base/scope_guard.h"
#include "paymenttype/frm_payment_type.h"
#include "plugin/plugin_context.h"
#include "plugin/plugin_messages.h"
#include "report/preview/window/rm_preview_form.h"
#include "tests/report/gridreport/grid_test_engine.h"
#include "tests/support/grid_driver.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_app_server.h"
#include "widgets/editable_string_grid.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
        if (!engine.engine) {
            // The grid report's data file and the preview's placement stay in the test's folder.
            qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
            TRMPreviewForm::SetSettingsFile(home.filePath(QStringLiteral("preview.ini")));
            engine.Start();
            previewWatch.setInterval(10);
            QObject::connect(&previewWatch, &QTimer::timeout, [this] { ClosePreviews(); });
            previewWatch.start();
        }
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
        previewWatch.stop();
        previewWatch.disconnect();
        engine.Stop();
        qunsetenv("XDG_CACHE_HOME");
        Context().HostWindow = nullptr;
        Context().HostAppHandle = nullptr;
        Context().ApplicationHandle = nullptr;
        Context().OperatorCode.clear();
    }

    EditableStringGrid* Grid() const { return window->sgdPaymentType; }
    TPaymentTypeRecords& Records() const { return window->PaymentTypeStore()->Records; }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { GridKey(Grid(), window, key, mods); }
    void Type(const QString& text) { GridType(Grid(), window, text); }
    void Click(int col, int row) { GridClick(Grid(), col, row); }
    // Puts the cursor on a cell by clicking it and types text into it, replacing what was there.
    void Edit(int col, int row, const QString& text) { GridEdit(Grid(), window, col, row, text); }
    QStringList RowCells(int row) const { return GridRowCells(Grid(), row); }
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

    void ClosePreviews()
    {
        // A dialog the look opens runs this timer again from inside it.
        if (lookingAtPreview)
            return;
        lookingAtPreview = true;
        const ScopeExit done([this] { lookingAtPreview = false; });
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<TRMPreviewForm*>(w);
            if (!form || !form->isVisible())
                continue;
            ++previewsSeen;
            if (onPreview)
                onPreview(*form);
            form->close();
        }
    }

    QTemporaryDir home;
    GridTestEngine engine;
    QTimer previewWatch;
    std::function<void(TRMPreviewForm&)> onPreview;
    int previewsSeen = 0;
    bool lookingAtPreview = false;
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
