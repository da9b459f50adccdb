#include "report/engine/prepare/rm_progress_dialog.h"

#include "resources/rm_locale.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pq {

TRMProgressDialog::TRMProgressDialog(QWidget* parent)
    : QDialog(parent)
    , m_label(new QLabel(this))
    , m_cancel(new QPushButton(RMLoadStr(47001), this))
{
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_label->setMinimumWidth(240);
    auto* box = new QVBoxLayout(this);
    box->addWidget(m_label);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_cancel);
    row->addStretch();
    box->addLayout(row);
    connect(m_cancel, &QPushButton::clicked, this, [this] { Cancel(); });
}

bool TRMProgressDialog::Run(const QString& caption, const QString& label, const std::function<void()>& work)
{
    setWindowTitle(caption);
    m_label->setText(label);
    m_cancelled = false;
    // The work starts from the event loop of the dialog, so the window is on screen first.
    QTimer::singleShot(0, this, [this, &work] {
        if (OnShown)
            OnShown();
        m_running = true;
        // No exception may cross the event loop; the engine records its own errors.
        try {
            work();
        } catch (...) {
            m_cancelled = true;
        }
        m_running = false;
        done(m_cancelled ? QDialog::Rejected : QDialog::Accepted);
    });
    exec();
    return !m_cancelled;
}

void TRMProgressDialog::SetLabel(const QString& label)
{
    m_label->setText(label);
}

void TRMProgressDialog::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void TRMProgressDialog::Cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    if (OnCancel)
        OnCancel();
}

void TRMProgressDialog::reject()
{
    // Esc or the close box cancels like the button; the dialog closes when the work stops.
    if (m_running) {
        Cancel();
        return;
    }
    QDialog::reject();
}

} // namespace pq
