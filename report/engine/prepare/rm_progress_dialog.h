// The progress window: a small modal dialog with a label and a Cancel button. The work runs
// once the dialog is showing; Cancel tells the engine through OnCancel, and the dialog closes
// when the work returns.
#pragma once

#include "report/engine/rm_progress.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace pq {

class TRMProgressDialog : public QDialog, public TRMProgress {
    Q_OBJECT
public:
    explicit TRMProgressDialog(QWidget* parent = nullptr);

    bool Run(const QString& caption, const QString& label, const std::function<void()>& work) override;
    void SetLabel(const QString& label) override;
    void ProcessEvents() override;

    QLabel* Label() const { return m_label; }
    QPushButton* CancelButton() const { return m_cancel; }
    bool Cancelled() const { return m_cancelled; }

    // Runs when the dialog is showing and the work is about to start (tests press Cancel
    // from here, as a user would).
    std::function<void()> OnShown;

protected:
    void reject() override;

private:
    void Cancel();

    QLabel* m_label;
    QPushButton* m_cancel;
    bool m_cancelled = false;
    bool m_running = false;
};

} // namespace pq
