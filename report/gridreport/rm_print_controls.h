// The printers of a form's ordinary controls. Each makes one view (two for a check box) where
// the control sits, with its font and its text, files it above the first printed grid
// (HeaderObjects) or below it (ColumnFooterObjects), and frames it when rmgoDrawBorder is set.
//   TRMPrintControl         labels, plain-text memos, list boxes, and any control handed to it
//   TRMPrintEdit            line edits and combo boxes, on their client area
//   TRMPrintRichEdit        rich-text edits, their document as rich text
//   TRMPrintCheckBox        check boxes: a check-box view and the caption beside it
//   TRMPrintDateTimePicker  date and time edits, as the system's short date or time text
//   TRMPrintShape           shapes (TShape): a line for a thin one, else the shape's figure
//   TRMPrintImage           images (TImage): the picture, centred or stretched as shown
#pragma once

#include "report/gridreport/rm_control_printers.h"

namespace pq {

class TRMPrintControl : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

class TRMPrintEdit : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

class TRMPrintRichEdit : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

class TRMPrintCheckBox : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

class TRMPrintDateTimePicker : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

class TRMPrintShape : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

class TRMPrintImage : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;
};

} // namespace pq
