#include "report/preview/printer/paper_tables.h"

namespace pq {

const std::array<TPaperInfo, kPaperCount> PaperInfos = {{
    {1, "Letter, 8 1/2 x 11\"", 2159, 2794},
    {2, "Letter small, 8 1/2 x 11\"", 2159, 2794},
    {3, "Tabloid, 11 x 17\"", 2794, 4318},
    {4, "Ledger, 17 x 11\"", 4318, 2794},
    {5, "Legal, 8 1/2 x 14\"", 2159, 3556},
    {6, "Statement, 5 1/2 x 8 1/2\"", 1397, 2159},
    {7, "Executive, 7 1/4 x 10 1/2\"", 1842, 2667},
    {8, "A3 297 x 420 mm", 2970, 4200},
    {9, "A4 210 x 297 mm", 2100, 2970},
    {10, "A4 small sheet, 210 x 297 mm", 2100, 2970},
    {11, "A5 148 x 210 mm", 1480, 2100},
    {12, "B4 250 x 354 mm", 2500, 3540},
    {13, "B5 182 x 257 mm", 1820, 2570},
    {14, "Folio, 8 1/2 x 13\"", 2159, 3302},
    {15, "Quarto Sheet, 215 x 275 mm", 2150, 2750},
    {16, "10 x 14\"", 2540, 3556},
    {17, "11 x 17\"", 2794, 4318},
    {18, "Note, 8 1/2 x 11\"", 2159, 2794},
    {19, "9 Envelope, 3 7/8 x 8 7/8\"", 984, 2254},
    {20, "#10 Envelope, 4 1/8  x 9 1/2\"", 1048, 2413},
    {21, "#11 Envelope, 4 1/2 x 10 3/8\"", 1143, 2635},
    {22, "#12 Envelope, 4 3/4 x 11\"", 1207, 2794},
    {23, "#14 Envelope, 5 x 11 1/2\"", 1270, 2921},
    {24, "C Sheet, 17 x 22\"", 4318, 5588},
    {25, "D Sheet, 22 x 34\"", 5588, 8636},
    {26, "E Sheet, 34 x 44\"", 8636, 11176},
    {27, "DL Envelope, 110 x 220 mm", 1100, 2200},
    {28, "C5 Envelope, 162 x 229 mm", 1620, 2290},
    {29, "C3 Envelope,  324 x 458 mm", 3240, 4580},
    {30, "C4 Envelope,  229 x 324 mm", 2290, 3240},
    {31, "C6 Envelope,  114 x 162 mm", 1140, 1620},
    {32, "C65 Envelope, 114 x 229 mm", 1140, 2290},
    {33, "B4 Envelope,  250 x 353 mm", 2500, 3530},
    {34, "B5 Envelope,  176 x 250 mm", 1760, 2500},
    {35, "B6 Envelope,  176 x 125 mm", 1760, 1250},
    {36, "Italy Envelope, 110 x 230 mm", 1100, 2300},
    {37, "Monarch Envelope, 3 7/8 x 7 1/2\"", 984, 1905},
    {38, "6 3/4 Envelope, 3 5/8 x 6 1/2\"", 920, 1651},
    {39, "US Std Fanfold, 14 7/8 x 11\"", 3778, 2794},
    {40, "German Std Fanfold, 8 1/2 x 12\"", 2159, 3048},
    {41, "German Legal Fanfold, 8 1/2 x 13\"", 2159, 3302},
    {42, "B4 (ISO) 250 x 353 mm", 2500, 3530},
    {43, "Japanese Postcard 100 x 148 mm", 1000, 1480},
    {44, "9 x 11\"", 2286, 2794},
    {45, "10 x 11\"", 2540, 2794},
    {46, "15 x 11\"", 3810, 2794},
    {47, "Envelope Invite 220 x 220 mm", 2200, 2200},
    {50, "Letter Extra 9/275 x 12\"", 2355, 3048},
    {51, "Legal Extra 9/275 x 15\"", 2355, 3810},
    {52, "Tabloid Extra 11.69 x 18\"", 2969, 4572},
    {53, "A4 Extra 9.27 x 12.69\"", 2354, 3223},
    {54, "Letter Transverse 8/275 x 11\"", 2101, 2794},
    {55, "A4 Transverse 210 x 297 mm", 2100, 2970},
    {56, "Letter Extra Transverse 9/275 x 12\"", 2355, 3048},
    {57, "SuperASuperAA4 227 x 356 mm", 2270, 3560},
    {58, "SuperBSuperBA3 305 x 487 mm", 3050, 4870},
    {59, "Letter Plus 8.5 x 12.69\"", 2159, 3223},
    {60, "A4 Plus 210 x 330 mm", 2100, 3300},
    {61, "A5 Transverse 148 x 210 mm", 1480, 2100},
    {62, "B5 (JIS) Transverse 182 x 257 mm", 1820, 2570},
    {63, "A3 Extra 322 x 445 mm", 3220, 4450},
    {64, "A5 Extra 174 x 235 mm", 1740, 2350},
    {65, "B5 (ISO) Extra 201 x 276 mm", 2010, 2760},
    {66, "A2 420 x 594 mm", 4200, 5940},
    {67, "A3 Transverse 297 x 420 mm", 2970, 4200},
    {68, "A3 Extra Transverse 322 x 445 mm", 3220, 4450},
    {256, "自定义", 0, 0},
}};

const std::array<TPaperInfo, kExtraPaperCount> ExtraPaperInfos = {{
    {800, "16开(18.4 x 26 厘米)", 1840, 2600},
    {801, "32开(13 x 18.4 厘米)", 1300, 1840},
    {802, "大32开(14 x 20.3 厘米)", 1400, 2030},
    {803, "宽行连续纸", 3778, 2794},
    {804, "窄行连续纸", 2159, 2794},
}};

int StandardPaperIndex(int id)
{
    for (int i = 0; i < kPaperCount; ++i)
        if (PaperInfos[static_cast<size_t>(i)].Id == id)
            return i;
    return -1;
}

const TPaperInfo* FindStandardPaper(int id)
{
    const int i = StandardPaperIndex(id);
    return i < 0 ? nullptr : &PaperInfos[static_cast<size_t>(i)];
}

QString DefaultPrinterTitle() { return QStringLiteral("默认打印机"); }
QString VirtualPrinterTitle() { return QStringLiteral("虚拟打印机"); }
QString CustomPaperName() { return QStringLiteral("自定义大小"); }
QString DefaultBinName() { return QStringLiteral("缺省"); }

} // namespace pq
