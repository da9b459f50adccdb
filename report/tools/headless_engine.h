// The engine set up to prepare and draw reports into files in a process with no screen
// and nobody to answer a message box: the renderer and the benchmark start the same way.
#pragma once

#include "report/engine/startup/rm_engine_startup.h"

#include "base/message_box.h"

#include <QString>

namespace pq {

// Before the application object: the offscreen platform unless one is asked for.
void RMUseOffscreenUnlessSet();

// While it lives (made after the application object): message boxes are written to
// standard error after the prefix, and the engine runs started headless (no progress
// windows, pages sized from their paper, and no printers unless the machine's are asked
// for: a scripted print job needs them).
class TRMHeadlessEngine : public MessageBoxService {
public:
    explicit TRMHeadlessEngine(QString messagePrefix = {}, bool machinePrinters = false);
    ~TRMHeadlessEngine() override;
    TRMHeadlessEngine(const TRMHeadlessEngine&) = delete;
    TRMHeadlessEngine& operator=(const TRMHeadlessEngine&) = delete;

    int Show(const MessageBoxRequest& request) override;

private:
    QString m_prefix;
    MessageBoxService* m_previous = nullptr;
    TRMEngineStartup m_engine;
};

} // namespace pq
