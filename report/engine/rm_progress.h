// The progress window of a preparation, seen from the engine: it runs the work once it is
// showing, lets pending events run after every page so that Cancel can reach the report,
// and reports a cancel through OnCancel. The engine knows only this interface; the Qt
// dialog (prepare/rm_progress_dialog.h) is one implementation, tests give their own.
#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace pq {

class TRMReport;

class TRMProgress {
public:
    virtual ~TRMProgress() = default;

    // Shows the window with the caption and label and runs work inside it; returns when
    // the work is done. False when the window was cancelled.
    virtual bool Run(const QString& caption, const QString& label, const std::function<void()>& work) = 0;
    // A new label ("正在处理页:  3").
    virtual void SetLabel(const QString& label) = 0;
    // Lets pending events run (the Cancel button among them).
    virtual void ProcessEvents() = 0;

    // Called when the user cancels; the engine sets the report's terminated flag here.
    std::function<void()> OnCancel;
};

// Creates the progress window of a report: the engine's start-up decides which (the Qt
// dialog, none, or a caller's own).
using TRMProgressFactory = std::function<std::unique_ptr<TRMProgress>(TRMReport& report)>;

} // namespace pq
