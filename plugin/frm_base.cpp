#include "plugin/frm_base.h"

#include "base/font_substitutions.h"

#include "plugin/plugin_context.h"
#include "plugin/plugin_messages.h"

#include <QCloseEvent>
#include <QFont>

namespace pq {

TFrmBase::TFrmBase(QWidget* ownerPanel) : QWidget(ownerPanel), m_panelMain(new QFrame(this))
{
    setObjectName(QStringLiteral("FrmBase"));
    setWindowTitle(QStringLiteral("FrmBase"));
    setWindowFlag(Qt::FramelessWindowHint, true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    RegisterFontSubstitutions();
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    setFont(f);

    m_panelMain->setObjectName(QStringLiteral("PanelMain"));
    m_panelMain->setFrameShape(QFrame::NoFrame);
    m_panelMain->move(0, 0);

    if (ownerPanel) {
        // Aligned to the client area of the panel that owns it.
        setGeometry(ownerPanel->rect());
        ownerPanel->installEventFilter(this);
    }
}

TFrmBase::~TFrmBase()
{
    if (Context().OpenWindow == this)
        Context().OpenWindow = nullptr;
}

void TFrmBase::FormCreate()
{
    // Boxes the plug-in shows belong to the host's application window.
    Context().ApplicationHandle = Context().HostAppHandle;
}

void TFrmBase::FormClose()
{
    SendPluginMessage(Context().HostWindow.data(), WM_PLUGIN_CLOSED, 0, 0);
    setAttribute(Qt::WA_DeleteOnClose, true);
}

bool TFrmBase::event(QEvent* e)
{
    if (e->type() == static_cast<QEvent::Type>(WM_PLUGIN_RESIZE)) {
        auto* m = static_cast<PluginMessageEvent*>(e);
        const int height = static_cast<int>(m->wParam());
        const int width = static_cast<int>(m->lParam());
        m_panelMain->resize(m_panelMain->width(), qMax(0, height));
        m_panelMain->resize(qMax(0, width), m_panelMain->height());
        return true;
    }
    return QWidget::event(e);
}

void TFrmBase::closeEvent(QCloseEvent* e)
{
    FormClose();
    e->accept();
}

bool TFrmBase::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == parentWidget() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, e);
}

} // namespace pq
