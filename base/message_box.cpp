#include "base/message_box.h"

#include <QMessageBox>

namespace pq {

namespace {

// Messages arrive joined with CR LF, LF CR or either alone, as the system's texts have it;
// the box would draw each CR and each LF as a break of its own, a blank line between two
// messages. One line per message on screen; the text itself stays as it was composed.
QString DisplayLines(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            out += c;
            continue;
        }
        out += QLatin1Char('\n');
        const QChar pair = c == QLatin1Char('\r') ? QLatin1Char('\n') : QLatin1Char('\r');
        if (i + 1 < text.size() && text.at(i + 1) == pair)
            ++i;
    }
    return out;
}

class QtMessageBoxService : public MessageBoxService {
public:
    int Show(const MessageBoxRequest& r) override
    {
        QMessageBox box(r.owner);
        box.setWindowTitle(r.caption);
        box.setText(DisplayLines(r.text));
        switch (r.icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        }
        QMessageBox::StandardButtons buttons;
        if (r.buttons & MsgOk) buttons |= QMessageBox::Ok;
        if (r.buttons & MsgCancel) buttons |= QMessageBox::Cancel;
        if (r.buttons & MsgYes) buttons |= QMessageBox::Yes;
        if (r.buttons & MsgNo) buttons |= QMessageBox::No;
        if (!buttons)
            buttons = QMessageBox::Ok;
        box.setStandardButtons(buttons);
        switch (box.exec()) {
        case QMessageBox::Ok: return MsgOk;
        case QMessageBox::Yes: return MsgYes;
        case QMessageBox::No: return MsgNo;
        default: return MsgCancel;
        }
    }
};

QtMessageBoxService g_qtService;
MessageBoxService* g_service = &g_qtService;

} // namespace

MessageBoxService* SetMessageBoxService(MessageBoxService* service)
{
    MessageBoxService* previous = g_service;
    g_service = service ? service : &g_qtService;
    return previous;
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgIcon icon, int buttons)
{
    return g_service->Show(MessageBoxRequest{owner, text, caption, icon, buttons});
}

void ShowErrorBox(QWidget* owner, const QString& text)
{
    ShowMessageBox(owner, text, QStringLiteral("错误"), MsgIcon::Error, MsgOk);
}

MessageBoxRecorder::MessageBoxRecorder() : m_previous(SetMessageBoxService(this)) {}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxService(m_previous); }

int MessageBoxRecorder::Show(const MessageBoxRequest& request)
{
    shown.append(request);
    if (onShow)
        onShow(request);
    if (!answers.isEmpty())
        return answers.takeFirst();
    for (int b : {MsgOk, MsgYes, MsgNo, MsgCancel})
        if (request.buttons & b)
            return b;
    return MsgOk;
}

QStringList MessageBoxRecorder::Texts() const
{
    QStringList t;
    for (const auto& r : shown)
        t.append(r.text);
    return t;
}

} // namespace pq
