#include "host/host_window.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace pq {

HostWindow::HostWindow(AppServerRef server, QString operatorCode, QWidget* parent)
    : QMainWindow(parent), m_server(std::move(server)), m_operatorCode(std::move(operatorCode)),
      m_panel(new QWidget(this)), m_overlay(new QWidget(m_panel)), m_host(new PluginHost(this, m_panel, this))
{
    setWindowTitle(QStringLiteral("Pagequill 演示宿主"));
    m_panel->setObjectName(QStringLiteral("hostPanel"));
    setCentralWidget(m_panel);
    resize(720, 500);

    m_overlay->setObjectName(QStringLiteral("hostOverlay"));
    auto* layout = new QVBoxLayout(m_overlay);
    auto* label = new QLabel(QStringLiteral("支付方式档案已关闭。"), m_overlay);
    auto* reopen = new QPushButton(QStringLiteral("重新打开(&O)"), m_overlay);
    reopen->setObjectName(QStringLiteral("reopenButton"));
    layout->addStretch();
    layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addWidget(reopen, 0, Qt::AlignHCenter);
    layout->addStretch();
    m_overlay->hide();
    connect(reopen, &QPushButton::clicked, this, &HostWindow::OpenPlugin);

    auto* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->addAction(QStringLiteral("打开支付方式档案(&O)"), this, &HostWindow::OpenPlugin);
    file->addAction(QStringLiteral("退出(&X)"), QKeySequence::Quit, this, &QWidget::close);

    m_host->onPluginClosed = [this] {
        // The notice arrives while the window is still closing: show ours afterwards.
        QTimer::singleShot(0, this, [this] { ShowClosedNotice(true); });
    };
}

HostWindow::~HostWindow()
{
    m_host->Unload();
}

bool HostWindow::LoadPlugin(const QString& path)
{
    if (!m_host->Load(path)) {
        statusBar()->showMessage(QStringLiteral("无法加载插件: %1").arg(m_host->ErrorString()));
        return false;
    }
    return true;
}

void HostWindow::OpenPlugin()
{
    if (!m_host->IsLoaded())
        return;
    if (m_host->PluginWindow()) {
        m_host->PluginWindow()->setFocus();
        return;
    }
    ShowClosedNotice(false);
    m_host->Open(m_server.get(), m_operatorCode);
}

void HostWindow::ShowClosedNotice(bool visible)
{
    // The closing window is hidden at once and freed a little later.
    QWidget* plugin = m_host->PluginWindow();
    if (visible && plugin && plugin->isVisible())
        return;
    m_overlay->setGeometry(m_panel->rect());
    m_overlay->setVisible(visible);
    if (visible)
        m_overlay->raise();
}

} // namespace pq
