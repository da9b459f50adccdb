// The printers of the machine as the report engine sees them: one TRMPrinterInfo per entry
// (papers and bins, normalised) and the TRMPrinterList headed by the two pseudo-printers.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

namespace pq {

class TRMPrinterBackend;

class TRMPrinterInfo {
public:
    TRMPrinterInfo(QString driver, QString device, QString port);

    QString Driver;
    QString Device; // the name every device call uses
    QString Port;
    bool IsValid = true;
    bool IsFilled = false;
    int FirstExtraPaper = 0;
    int CustomPaperId = 256;

    // Parallel lists of decimal integers or names; entry i of the four paper lists describes
    // paper i. After filling, the custom size ("自定义大小") is always the last paper.
    QStringList PaperNames;
    QStringList PaperIds;
    QStringList PaperWidths;  // 0.1 mm
    QStringList PaperHeights; // 0.1 mm
    QStringList BinNames;
    QStringList Bins;

    // Fills the lists once: from the built-in table for the virtual printer, else from the
    // driver through the backend, then normalises them.
    void Fill(TRMPrinterBackend& backend, bool asVirtual);
    // Loads the 67 standard rows (virtual printer): bins stay empty.
    void FillFromTable();
    // Normalises driver data already in the lists (papers, then bins).
    void NormalizePapers();
    void NormalizeBins();

    int PaperCount() const { return static_cast<int>(PaperIds.size()); }
    // Size and id of paper i; 0 when i is out of range or the entry is not a number.
    int PaperWidth(int i) const;
    int PaperHeight(int i) const;
    int PaperId(int i) const;
    void SetPaperWidth(int i, int width);
    void SetPaperHeight(int i, int height);
    // Bin code i; 0 past the end.
    int BinAt(int i) const;
    // The index with this id; the last (the custom size) when none has it.
    int IndexOfPaperId(int id) const;
    // The index of this bin code; 0 when not found.
    int IndexOfBin(int bin) const;
    // Id of the last paper (the custom entry after filling); 256 when the list is empty.
    int LastPaperId() const;
};

class TRMPrinterList {
public:
    // Builds the list from the backend: the two pseudo-printers, then one entry per printer.
    explicit TRMPrinterList(TRMPrinterBackend& backend);
    ~TRMPrinterList();
    TRMPrinterList(const TRMPrinterList&) = delete;
    TRMPrinterList& operator=(const TRMPrinterList&) = delete;

    int Count() const { return static_cast<int>(m_entries.size()); }
    QStringList Names() const;
    QString Name(int index) const;
    // Entry index of the system's default printer; 1 (the virtual printer) when none.
    int DefaultIndex() const { return m_defaultIndex; }
    // Asks the system again which printer is the default one.
    void FindDefault();
    // Info for an entry, filled on first use; index 0 stands for the default printer.
    // nullptr for an index out of range.
    TRMPrinterInfo* GetInfo(int index);
    // Resolves index 0 to the default index.
    int Resolve(int index) const { return index == 0 ? m_defaultIndex : index; }
    // True when the machine has real printers (more than the two pseudo entries).
    bool HasRealPrinters() const { return Count() > 2; }

    TRMPrinterBackend& Backend() { return m_backend; }

private:
    TRMPrinterBackend& m_backend;
    std::vector<std::pair<QString, std::unique_ptr<TRMPrinterInfo>>> m_entries;
    int m_defaultIndex = 1;
};

} // namespace pq
