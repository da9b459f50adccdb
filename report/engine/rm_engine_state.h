// The engine's process-wide state: what it is doing, the current report/page/band/view,
// creation numbers, the named constants views add, and the globals object with what it owns.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QWidget;

namespace pq {

class TRMBand;
class TRMPage;
class TRMReport;
class TRMView;


// What the engine is doing; BeginDraw and creation numbers depend on it. The state and the
// current objects below are the calling thread's: the user-interface thread prepares,
// previews and prints; an output thread (RMSetOutputThread) draws prepared pages into a PDF
// or onto a printer meanwhile, with a state of its own.
struct TRMEngineState {
    bool Designing = false;
    bool Preparing = false;
    bool Previewing = false;
    bool Printing = false;
};
TRMEngineState& RMEngineState();

// The objects preparation, drawing and printing are working on; expressions and scripts
// read them. Destroying an object clears the pointer that refers to it.
struct TRMCurrent {
    TRMReport* CurReport = nullptr;
    TRMPage* CurPage = nullptr;
    TRMBand* CurBand = nullptr;
    TRMView* CurView = nullptr;
    int CurPageNo = 0; // index of the prepared page being built or drawn
};
TRMCurrent& RMCurrent();

// Marks the calling thread as one that draws prepared pages for output while another thread
// prepares: it touches nothing of the preparation's (the hooked views).
void RMSetOutputThread(bool on);
bool RMIsOutputThread();

// Sets the current pointers for a scope and restores the previous ones afterwards.
class TRMCurrentScope {
public:
    TRMCurrentScope(TRMReport* report, TRMPage* page = nullptr, TRMBand* band = nullptr,
        TRMView* view = nullptr);
    ~TRMCurrentScope();
    TRMCurrentScope(const TRMCurrentScope&) = delete;
    TRMCurrentScope& operator=(const TRMCurrentScope&) = delete;

private:
    TRMCurrent m_saved;
};

// Sets the current band and view for a scope and puts the previous ones back afterwards;
// the current report and page stay as the scope leaves them.
class TRMCurrentBandScope {
public:
    TRMCurrentBandScope(TRMBand* band, TRMView* view);
    ~TRMCurrentBandScope();
    TRMCurrentBandScope(const TRMCurrentBandScope&) = delete;
    TRMCurrentBandScope& operator=(const TRMCurrentBandScope&) = delete;

private:
    TRMBand* m_band;
    TRMView* m_view;
};

// Creation numbers: a view created while a report is current and the engine is neither
// preparing, previewing nor printing takes the next number.
void RMAssignCreationID(TRMView& view);
int RMLastCreationID();
void RMSetLastCreationID(int id);

// Called by destructors so no current pointer dangles.
void RMForgetView(const TRMView* view);
void RMForgetBand(const TRMBand* band);
void RMForgetPage(const TRMPage* page);
void RMForgetReport(const TRMReport* report);


// Adds named constants (views register theirs when the first of their kind is created).
void RMRegisterConstants(const std::vector<std::pair<QString, int>>& constants);
// "rmdcSum" … "rmdcUser", added when the first calculated memo is created.
void RMRegisterCalcMemoConstants();

// ---- the globals object ----

class TRMGlobals {
public:
    TRMGlobals();
    ~TRMGlobals();
    TRMGlobals(const TRMGlobals&) = delete;
    TRMGlobals& operator=(const TRMGlobals&) = delete;

    int ScreenPixelsX = 96;
    int ScreenPixelsY = 96;
    int DefaultCharset = 134;
    QStringList BandNames;      // 23
    QStringList BooleanFormats; // 4
    QStringList DateFormats;    // 7
    QStringList TimeFormats;    // 4

    QStringList LineList;                  // scratch list of wrapped memo lines
    std::vector<TRMView*> HookList;        // views with Flags bit 0x8000
    QImage& MeasureBitmap() { return m_measure; }

    // The hidden form that owns data components created for reports; created on first use
    // (it needs the application object).
    QWidget* DialogForm();

private:
    QImage m_measure;
    std::unique_ptr<QWidget> m_dialogForm;
};

// The globals object, created on first use and freed by RMFreeGlobals (library unload).
TRMGlobals& RMGlobals();
void RMFreeGlobals();
// The hidden dialog form "RMDialogForm".
QWidget* RMDialogForm();

} // namespace pq
