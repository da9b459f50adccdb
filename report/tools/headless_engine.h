// The engine set up to prepare and draw reports into files in a process with no screen
// and nobody to answer a message box: the renderer and the benchmark start the same way.
#pragma once

#include "base/message_box.h"

#include <QString>

namespace pq {

// Before the application object: the offscreen platform unless one is asked for.
void RMUseOffscreenUnlessSet();

// While it lives (made after the application object): message boxes are written to
// standard error after the prefix, font substitutions are registered, memos lay out through
// the memo library, and pages take their size from their paper without asking a printer.
class TRMHeadlessEngine : public MessageBoxService {
public:
    explicit TRMHeadlessEngine(QString messagePrefix = {});
    ~TRMHeadlessEngine() override;
    TRMHeadlessEngine(const TRMHeadlessEngine&) = delete;
    TRMHeadlessEngine& operator=(const TRMHeadlessEngine&) = delete;

    int Show(const MessageBoxRequest& request) override;

private:
    QString m_prefix;
    MessageBoxService* m_previous = nullptr;
};

} // namespace pq
