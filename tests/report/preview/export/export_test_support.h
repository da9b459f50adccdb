// What the export tests share: a report of prepared list pages and the dialogs they answer.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QTimer>

#include <functional>

namespace pq::test {

// Runs answer on the next modal dialog of type D once it is showing, and notes in seen that
// it came. Polls, since a dialog opens from inside the code under test; the poll ends with
// its scope (the test) if no such dialog comes.
template <class D>
void Answer(QObject* scope, std::function<void(D&)> answer, bool* seen)
{
    auto* timer = new QTimer(scope);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, seen] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget()); d && d->isVisible()) {
            timer->stop();
            timer->deleteLater();
            if (seen)
                *seen = true;
            answer(*d);
        }
    });
    timer->start();
}

// Types the name into a file dialog and presses Enter, as a user would.
inline void ChooseFile(QFileDialog& dialog, const QString& name)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit) {
        dialog.reject();
        return;
    }
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace pq::test
