// The option objects of a grid report: paper and margins, the three rich-text captions, the
// row-number column, scaling, the master-data band, the cell font and the grouping levels.
// Each copies from another of its class (Assign) and refuses any other class, as the
// component's setters rely on; the component owns one of each.
#pragma once

#include "report/engine/rm_types.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace pq {

class TRMCustomGridReport;

// "Cannot assign a TRMScaleOptions to a TRMPageLayout".
class TRMConvertError : public std::runtime_error {
public:
    TRMConvertError(const QString& from, const QString& to);
    QString Message() const { return QString::fromStdString(what()); }
};

// An option object that can take the values of another of its class.
class TRMPersistent {
public:
    virtual ~TRMPersistent() = default;
    virtual QString ClassName() const = 0;
    // Copies every published property from source; TRMConvertError for another class.
    void Assign(const TRMPersistent& source);

protected:
    TRMPersistent() = default;
    TRMPersistent(const TRMPersistent&) = default;
    TRMPersistent& operator=(const TRMPersistent&) = default;
    // Copies from a source known to be of this class.
    virtual void AssignSame(const TRMPersistent& source) = 0;
};

// The screen-pixel length of 10 mm: 38 at 96 dots per inch.
int RMTenMillimetres();

enum TRMGridReportOption : int {
    rmgoUseColor = 0,
    rmgoStretch,
    rmgoWordWrap,
    rmgoGridLines,
    rmgoSelectedRecordsOnly,
    rmgoAppendBlank,
    rmgoGridNumber,
    rmgoDrawBorder,
    rmgoDoubleFrame,
    rmgoRebuildAfterPageChanged,
    rmgoDisableControls,
};
inline constexpr int kGridReportOptionCount = 11;

// A set of TRMGridReportOption: bit i is option i.
class TRMGridReportOptions {
public:
    constexpr TRMGridReportOptions() = default;
    constexpr explicit TRMGridReportOptions(unsigned bits) : m_bits(bits & 0x7FF) {}
    TRMGridReportOptions(std::initializer_list<TRMGridReportOption> options);
    bool Has(TRMGridReportOption o) const { return (m_bits >> o) & 1u; }
    void Set(TRMGridReportOption o, bool on = true);
    unsigned Bits() const { return m_bits; }
    bool operator==(const TRMGridReportOptions&) const = default;

private:
    unsigned m_bits = 0;
};
// The option's name ("rmgoStretch"); empty for a value out of range.
QString RMGridReportOptionName(int option);
// -1 for a name no option has.
int RMGridReportOptionByName(const QString& name);

class TRMPageLayout : public TRMPersistent {
public:
    TRMPageLayout();
    QString ClassName() const override { return QStringLiteral("TRMPageLayout"); }

    int pgSize = 9;
    int LeftMargin;
    int TopMargin;
    int RightMargin;
    int BottomMargin;
    int Columns = 0;
    int ColumnSpace = 0;
    int Height = 2970; // 0.1 mm
    int Width = 2100;  // 0.1 mm
    int pgOr = poPortrait;
    int pgBin = 0;
    QString PrinterName;
    bool DoublePass = false;
    bool PrintBackColor = false;
    QString Title;

protected:
    void AssignSame(const TRMPersistent& source) override;
};

class TRMPageHeaderFooter : public TRMPersistent {
public:
    explicit TRMPageHeaderFooter(TRMCustomGridReport* report = nullptr) : m_report(report) {}
    QString ClassName() const override { return QStringLiteral("TRMPageHeaderFooter"); }

    // The rich-text document, one stored line per entry; empty: no caption view.
    const QStringList& Caption() const { return m_caption; }
    void SetCaption(const QStringList& lines) { m_caption = lines; }
    // The caption view's height; 0: as high as the text needs. A negative value is ignored.
    int Height() const { return m_height; }
    void SetHeight(int value);
    TRMCustomGridReport* Report() const { return m_report; }

protected:
    void AssignSame(const TRMPersistent& source) override;

private:
    TRMCustomGridReport* m_report;
    QStringList m_caption;
    int m_height = 0;
};

class TRMGridNumOptions : public TRMPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TRMGridNumOptions"); }

    QString Text = QStringLiteral("No");
    // Width of the row-number column in heights of the letter "a"; a negative value is
    // ignored.
    int Number() const { return m_number; }
    void SetNumber(int value);

protected:
    void AssignSame(const TRMPersistent& source) override;

private:
    int m_number = 7;
};

enum TRMFRScaleMode : int { rmsmAdjust = 0, rmsmFit = 1 };

class TRMScaleOptions : public TRMPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TRMScaleOptions"); }

    bool CenterOnPageH = false;
    bool CenterOnPageV = false;
    bool FitPageWidth = false;
    bool FitPageHeight = false;
    int ScaleMode = rmsmFit;
    int ScaleFactor = 100;

protected:
    void AssignSame(const TRMPersistent& source) override;
};

class TRMMasterDataBandOptions : public TRMPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TRMMasterDataBandOptions"); }

    int LinesPerPage = 0;
    int Columns = 1;
    int ColumnWidth = 200;
    int ColumnGap = 20;
    bool NewPageAfter = false;
    int Height = -1; // 0 or less: the grid's own row height plus 4

protected:
    void AssignSame(const TRMPersistent& source) override;
};

class TRMGridFontOptions : public TRMPersistent {
public:
    TRMGridFontOptions();
    QString ClassName() const override { return QStringLiteral("TRMGridFontOptions"); }

    bool UseCustomFontSize = false;
    QFont Font;

protected:
    void AssignSame(const TRMPersistent& source) override;
};

class TRMGroupItem : public TRMPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TRMGroupItem"); }

    QString GroupFieldName; // empty: the item is skipped
    bool FormNewPage = false;

protected:
    void AssignSame(const TRMPersistent& source) override;
};

class TRMGroupItems : public TRMPersistent {
public:
    explicit TRMGroupItems(TRMCustomGridReport* owner = nullptr) : m_owner(owner) {}
    QString ClassName() const override { return QStringLiteral("TRMGroupItems"); }

    int Count() const { return static_cast<int>(m_items.size()); }
    TRMGroupItem& operator[](int index) { return m_items[index]; }
    const TRMGroupItem& operator[](int index) const { return m_items[index]; }
    TRMGroupItem& Add();
    void Clear() { m_items.clear(); }
    const QList<TRMGroupItem>& Items() const { return m_items; }
    TRMCustomGridReport* Owner() const { return m_owner; }

protected:
    void AssignSame(const TRMPersistent& source) override;

private:
    TRMCustomGridReport* m_owner;
    QList<TRMGroupItem> m_items;
};

} // namespace pq
