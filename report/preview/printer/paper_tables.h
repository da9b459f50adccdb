// The built-in paper tables and the fixed names of the printer layer. Sizes are tenths of a
// millimetre, given for portrait; ids are the paper codes printer drivers use (256 means a
// user-defined size).
#pragma once

#include <QString>

#include <array>

namespace pq {

struct TPaperInfo {
    int Id = 0;
    const char* Name = ""; // UTF-8
    int Width = 0;         // 0.1 mm
    int Height = 0;        // 0.1 mm

    QString NameText() const { return QString::fromUtf8(Name); }
};

inline constexpr int kPaperCount = 67;
inline constexpr int kExtraPaperCount = 5;
inline constexpr int kCustomPaperId = 256;
inline constexpr int kA4PaperId = 9;
// The bin code that means "the driver's default source"; read as signed 16-bit it is -1.
inline constexpr int kDefaultBin = 65535;

extern const std::array<TPaperInfo, kPaperCount> PaperInfos;
extern const std::array<TPaperInfo, kExtraPaperCount> ExtraPaperInfos;

// Row of the standard table with this id, or nullptr.
const TPaperInfo* FindStandardPaper(int id);
// Row index in the standard table, or -1.
int StandardPaperIndex(int id);

// A bin code read as the signed 16-bit value the device mode stores.
inline int BinAsInt16(int bin) { return static_cast<short>(static_cast<unsigned short>(bin)); }

QString DefaultPrinterTitle(); // "默认打印机"
QString VirtualPrinterTitle(); // "虚拟打印机"
QString CustomPaperName();     // "自定义大小"
QString DefaultBinName();      // "缺省"

} // namespace pq
