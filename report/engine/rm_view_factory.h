// The add-in view registry and the view factory by object type code.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace pq {

class TRMView;

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


} // namespace pq
