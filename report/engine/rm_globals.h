// The engine's process-wide objects: the globals object and what it owns, the engine's
// mode flags, the current report/page/band/view, creation numbers, the add-in view
// registry and the view factory by object type code.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

class QWidget;

namespace pq {

class TRMBand;
class TRMPage;
class TRMReport;
class TRMView;

// What the engine is doing; BeginDraw and creation numbers depend on it.
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

// A 32-bit platform colour (0x00BBGGRR; system colours have the top bit set) as a QColor.
QColor RMColor(std::uint32_t color);
// The button-face system colour value.
inline constexpr std::uint32_t clBtnFace = 0x8000000F;

// ---- add-in views ----

struct TRMAddInObjectInfo {
    QString ClassName;                                // class name streams carry
    std::function<std::unique_ptr<TRMView>()> Create; // virtual constructor
    QString EditorClassName;                          // designer editor, or empty
    QString Name;                                     // registered name ("RM_RichObject")
    QString Description;                              // designer description
    std::uint8_t IsControl = 0;                       // 0 for report views
};

// Registers an add-in view class once; a second registration of the same class name is
// ignored.
void RMRegisterObject(TRMAddInObjectInfo info);
void RMUnRegisterObject(const QString& className);
const std::vector<TRMAddInObjectInfo>& RMAddIns();
// The first entry whose class name equals className without regard to case.
const TRMAddInObjectInfo* RMFindAddIn(const QString& className);

// Raised when a stream names an add-in class nobody registered. Its text holds every
// missing class so far, one per line.
class TRMClassNotFound : public std::runtime_error {
public:
    explicit TRMClassNotFound(const QString& missing)
        : std::runtime_error(missing.toStdString()), m_missing(missing) {}
    const QString& Missing() const { return m_missing; }

private:
    QString m_missing;
};
// The accumulated missing classes and the flag that some are missing; the report loader
// reads and resets them.
QString RMMissingClasses();
bool RMComponentsMissing();
void RMResetMissingClasses();

// Creates a view by object type code (and class name for code 10). Codes 6, 9 and any
// other unknown code create nothing; an unregistered add-in class throws TRMClassNotFound.
std::unique_ptr<TRMView> RMCreateObject(int typ, const QString& className = {});

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
