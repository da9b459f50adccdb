// The one road every modal message box takes. Production shows a QMessageBox; tests
// install a MessageBoxRecorder that captures each box and answers from a script.
#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace pq {

enum class MsgIcon { None, Information, Warning, Error, Question };

// Buttons and answers share one set of values, so an answer is the button pressed.
enum MsgButton : int {
    MsgOk = 0x1,
    MsgCancel = 0x2,
    MsgYes = 0x4,
    MsgNo = 0x8,
};

struct MessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
    int buttons = MsgOk;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual int Show(const MessageBoxRequest& request) = 0;
};

// Shows a modal box through the installed service and returns the button pressed.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgIcon icon,
    int buttons = MsgOk);
// The usual error box: caption "错误", error icon, one OK button.
void ShowErrorBox(QWidget* owner, const QString& text);

// Installs a service; nullptr restores the QMessageBox one. Returns the previous one.
MessageBoxService* SetMessageBoxService(MessageBoxService* service);

// Captures every box. Answers come from the script in order; when it runs out, the first
// button offered (OK before Cancel, Yes before No) is pressed.
class MessageBoxRecorder : public MessageBoxService {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder() override;
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    int Show(const MessageBoxRequest& request) override;

    QList<MessageBoxRequest> shown;
    QList<int> answers;
    // Runs while a box is "open", as code that reacts to a modal box would.
    std::function<void(const MessageBoxRequest&)> onShow;

    QStringList Texts() const;
    void Clear() { shown.clear(); }

private:
    MessageBoxService* m_previous;
};

} // namespace pq
