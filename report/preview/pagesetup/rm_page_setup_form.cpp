#include "report/preview/pagesetup/rm_page_setup_form.h"

#include "base/drawn_icon.h"
#include "base/message_box.h"
#include "base/rounding.h"
#include "report/preview/pagesetup/rm_page_setup_logic.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/printer.h"
#include "resources/rm_dialog_font.h"
#include "resources/rm_locale.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <exception>

namespace pq {

namespace {

// The dialog's fixed layout: every control at its place, in the parent's coordinates.
template <class W>
W* Place(W* widget, int x, int y, int width, int height)
{
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLabel* Label(QWidget* parent, int id, int x, int y, int width, QWidget* buddy = nullptr,
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = Place(new QLabel(RMLoadStr(id), parent), x, y, width, 21);
    label->setAlignment(align);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

// A box in centimetres that takes a value only when confirmed (Enter, leaving it, a step),
// not at every key typed.
QDoubleSpinBox* CmBox(QWidget* parent, double minimum, double maximum)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setRange(minimum, maximum);
    box->setSingleStep(0.1);
    box->setKeyboardTracking(false);
    return box;
}

// A sheet with lines of text, upright or on its side.
QIcon OrientationIcon(bool landscape)
{
    return DrawnIcon([landscape](QPainter& p) {
        const QRectF sheet = landscape ? QRectF(1.5, 3.5, 13, 9) : QRectF(3.5, 1.5, 9, 13);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(64, 64, 64), 1));
        p.setBrush(Qt::white);
        p.drawRect(sheet);
        p.setPen(QPen(QColor(40, 90, 170), 1));
        const qreal left = sheet.left() + 2;
        const qreal right = sheet.right() - 2;
        for (qreal y = sheet.top() + 2.5; y < sheet.bottom() - 1; y += 2)
            p.drawLine(QPointF(left, y), QPointF(right, y));
    });
}

constexpr int kCmDecimalsScaleSize = 100; // 0.1 mm per 1/100 cm
constexpr int kMmPerCm = 10;

} // namespace

// ---- the page picture --------------------------------------------------------------------

TRMPagePictureBox::TRMPagePictureBox(const TRMPageSetting& setting, QWidget* parent)
    : QWidget(parent)
    , m_setting(setting)
{
}

void TRMPagePictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    const TRMPagePicture pic = RMPagePicture(size(), m_setting);
    if (pic.Empty)
        return;
    const QRect sheet = pic.Sheet.ToRect();
    p.fillRect(sheet, palette().color(QPalette::Base));
    p.setPen(Qt::black);
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
    const QColor shadow(128, 128, 128);
    p.fillRect(pic.ShadowBottom.ToRect(), shadow);
    p.fillRect(pic.ShadowRight.ToRect(), shadow);
    const QRect margins = pic.Margins.ToRect();
    if (margins.width() > 1 && margins.height() > 1) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(margins.adjusted(0, 0, -1, -1));
    }
}

// ---- the dialog --------------------------------------------------------------------------

TRMPageSetupForm::TRMPageSetupForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setFont(RMDialogFont());
    setWindowTitle(RMLoadStr(45390));
    setFixedSize(494, 280);

    m_tabs = Place(new QTabWidget(this), 4, 6, 483, 240);
    auto addSheet = [this](int id) {
        auto* sheet = new QWidget;
        m_tabs->addTab(sheet, RMLoadStr(id));
        return sheet;
    };
    BuildPaperTab(addSheet(45391));
    BuildSourceTab(addSheet(45411));
    BuildMarginTab(addSheet(45398));
    BuildOtherTab(addSheet(45405));

    // The preview lies over every tab.
    m_preview = Place(new QGroupBox(RMLoadStr(45399), this), 281, 42, 197, 156);
    m_picture = Place(new TRMPagePictureBox(m_settings, m_preview), 5, 20, 197 - 10, 156 - 30);
    m_preview->raise();

    m_ok = Place(new QPushButton(RMLoadStr(47000), this), 326, 252, 75, 23);
    m_ok->setDefault(true);
    m_cancel = Place(new QPushButton(RMLoadStr(47001), this), 409, 252, 75, 23);

    Connect();
}

TRMPageSetupForm::~TRMPageSetupForm() = default;

void TRMPageSetupForm::BuildPaperTab(QWidget* sheet)
{
    m_printers = Place(new QComboBox(sheet), 12, 20, 253, 21);
    Label(sheet, 45371, 12, 0, 120, m_printers);
    m_papers = Place(new QComboBox(sheet), 12, 60, 253, 21);
    Label(sheet, 45395, 12, 40, 120, m_papers);
    m_width = Place(CmBox(sheet, kMinCustomPaperSide / 100.0, kMaxCustomPaperSide / 100.0), 79, 86, 86, 21);
    Label(sheet, 45396, 12, 86, 66, m_width);
    m_height = Place(CmBox(sheet, kMinCustomPaperSide / 100.0, kMaxCustomPaperSide / 100.0), 79, 110, 86, 21);
    Label(sheet, 45397, 12, 110, 66, m_height);

    m_orientation = Place(new QGroupBox(RMLoadStr(45392), sheet), 12, 134, 253, 56);
    m_orientationPicture = Place(new QLabel(m_orientation), 10, 18, 32, 32);
    m_portrait = Place(new QRadioButton(RMLoadStr(45393), m_orientation), 56, 24, 90, 21);
    m_landscape = Place(new QRadioButton(RMLoadStr(45394), m_orientation), 150, 24, 90, 21);

    m_unlimitedHeight = Place(new QCheckBox(RMLoadStr(45413), sheet), 12, 194, 150, 17);
    m_title = Place(new QLineEdit(sheet), 275, 187, 190, 21);
    Label(sheet, 45372, 236, 187, 38, m_title);
}

void TRMPageSetupForm::BuildSourceTab(QWidget* sheet)
{
    m_sources = Place(new QListWidget(sheet), 12, 20, 241, 93);
    Label(sheet, 45412, 12, 0, 120, m_sources);
}

void TRMPageSetupForm::BuildMarginTab(QWidget* sheet)
{
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    auto margin = [&](int id, int y) {
        QDoubleSpinBox* box = Place(CmBox(sheet, -100, 100), 119, y, 83, 21);
        Label(sheet, id, 20, y, 95, box, right);
        return box;
    };
    m_marginTop = margin(45401, 21);
    m_marginBottom = margin(45403, 44);
    m_marginLeft = margin(45400, 68);
    m_marginRight = margin(45402, 92);
}

void TRMPageSetupForm::BuildOtherTab(QWidget* sheet)
{
    auto* columns = Place(new QGroupBox(RMLoadStr(45408), sheet), 8, 4, 257, 94);
    m_columns = Place(new QSpinBox(columns), 68, 21, 48, 21);
    m_columns->setRange(1, 99);
    m_columns->setKeyboardTracking(false);
    Label(columns, 45409, 8, 21, 60, m_columns);
    m_columnGap = Place(CmBox(columns, -100, 100), 8, 68, 105, 21);
    Label(columns, 45410, 8, 47, 120, m_columnGap);

    auto* options = Place(new QGroupBox(RMLoadStr(45406), sheet), 8, 100, 257, 110);
    m_printToPrevPage = Place(new QCheckBox(RMLoadStr(45407), options), 10, 22, 240, 19);
    m_doublePass = Place(new QCheckBox(RMLoadStr(45374), options), 10, 43, 240, 19);
    m_taoda = Place(new QCheckBox(RMLoadStr(45375), options), 10, 64, 240, 19);
    m_printBackColor = Place(new QCheckBox(RMLoadStr(45369), options), 10, 85, 240, 19);
}

void TRMPageSetupForm::Connect()
{
    connect(m_ok, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_printers, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_updating)
            PrinterChosen(index);
    });
    connect(m_papers, &QComboBox::currentIndexChanged, this, [this](int index) { PaperChosen(index); });
    connect(m_width, &QDoubleSpinBox::valueChanged, this, [this] { SizeEdited(); });
    connect(m_height, &QDoubleSpinBox::valueChanged, this, [this] { SizeEdited(); });
    connect(m_portrait, &QRadioButton::clicked, this, [this] { OrientationClicked(0); });
    connect(m_landscape, &QRadioButton::clicked, this, [this] { OrientationClicked(1); });

    const auto margin = [this](QDoubleSpinBox* box, void (TRMPageSetting::*set)(double),
                            double (TRMPageSetting::*get)() const) {
        connect(box, &QDoubleSpinBox::valueChanged, this,
            [this, box, set, get] { MarginEdited(box, set, get); });
    };
    margin(m_marginTop, &TRMPageSetting::SetMarginTop, &TRMPageSetting::MarginTop);
    margin(m_marginBottom, &TRMPageSetting::SetMarginBottom, &TRMPageSetting::MarginBottom);
    margin(m_marginLeft, &TRMPageSetting::SetMarginLeft, &TRMPageSetting::MarginLeft);
    margin(m_marginRight, &TRMPageSetting::SetMarginRight, &TRMPageSetting::MarginRight);
    margin(m_columnGap, &TRMPageSetting::SetColumnGap, &TRMPageSetting::ColumnGap);
    connect(m_columns, &QSpinBox::valueChanged, this, [this] { ColumnsEdited(); });

    connect(m_sources, &QListWidget::currentRowChanged, this, [this](int row) { SourceChosen(row); });

    const auto check = [this](QCheckBox* box, void (TRMPageSetting::*set)(bool)) {
        connect(box, &QCheckBox::toggled, this, [this, set](bool on) {
            if (!m_updating && !CancelActive())
                (m_settings.*set)(on);
        });
    };
    check(m_unlimitedHeight, &TRMPageSetting::SetUnlimitedHeight);
    check(m_printToPrevPage, &TRMPageSetting::SetPrintToPrevPage);
    check(m_doublePass, &TRMPageSetting::SetDoublePass);
    check(m_taoda, &TRMPageSetting::Settaoda);
    check(m_printBackColor, &TRMPageSetting::SetPrintBackColor);

    connect(m_title, &QLineEdit::editingFinished, this, [this] {
        if (!CancelActive())
            m_settings.SetTitle(m_title->text());
    });
}

void TRMPageSetupForm::DisableColumns()
{
    m_columns->setEnabled(false);
    m_columnGap->setEnabled(false);
}

int TRMPageSetupForm::PrinterIndex() const
{
    return m_printers->currentIndex();
}

bool TRMPageSetupForm::CancelActive() const
{
    return QApplication::focusWidget() == m_cancel;
}

TRMPrinterInfo* TRMPageSetupForm::ChosenInfo() const
{
    const int index = m_printers->currentIndex();
    return index >= 0 ? GetPrinterList().GetInfo(index) : nullptr;
}

void TRMPageSetupForm::showEvent(QShowEvent* event)
{
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TRMPageSetupForm::FormShow()
{
    if (m_settings.Columns() <= 0)
        m_settings.SetColumns(1);
    TRMPrinterList& list = GetPrinterList();
    m_updating = true;
    m_printers->clear();
    m_printers->addItems(list.Names());
    m_printers->setCurrentIndex(std::clamp(GetReportPrinter().SelectedPrinter(), 0, list.Count() - 1));
    m_updating = false;
    m_title->setText(m_settings.Title());
    PrinterChosen(m_printers->currentIndex());
}

void TRMPageSetupForm::PrinterChosen(int index)
{
    TRMPrinterInfo* info = index >= 0 ? GetPrinterList().GetInfo(index) : nullptr;
    m_updating = true;
    m_papers->clear();
    m_sources->clear();
    if (info) {
        m_papers->addItems(info->PaperNames);
        m_sources->addItems(info->BinNames);
    }
    m_updating = false;
    m_settings.SetPaperSize(info
            ? RMMatchPaperId(*info, m_settings.PaperWidth(), m_settings.PaperHeight(), m_settings.Orientation())
            : kCustomPaperId);
    UpdateControls();
}

void TRMPageSetupForm::UpdateControls()
{
    if (m_updating)
        return;
    m_updating = true;
    m_marginTop->setValue(m_settings.MarginTop() / kMmPerCm);
    m_marginBottom->setValue(m_settings.MarginBottom() / kMmPerCm);
    m_marginLeft->setValue(m_settings.MarginLeft() / kMmPerCm);
    m_marginRight->setValue(m_settings.MarginRight() / kMmPerCm);
    m_columns->setValue(m_settings.Columns());
    m_columnGap->setValue(m_settings.ColumnGap() / kMmPerCm);
    m_unlimitedHeight->setChecked(m_settings.UnlimitedHeight());
    m_printToPrevPage->setChecked(m_settings.PrintToPrevPage());
    m_doublePass->setChecked(m_settings.DoublePass());
    m_taoda->setChecked(m_settings.taoda());
    m_printBackColor->setChecked(m_settings.PrintBackColor());
    m_portrait->setChecked(m_settings.Orientation() == 0);
    m_landscape->setChecked(m_settings.Orientation() == 1);
    UpdateOrientationPicture();
    m_width->setValue(m_settings.PaperWidth() / double(kCmDecimalsScaleSize));
    m_height->setValue(m_settings.PaperHeight() / double(kCmDecimalsScaleSize));

    const TRMPrinterInfo* info = ChosenInfo();
    if (m_sources->count() > 0)
        m_sources->setCurrentRow(info ? info->IndexOfBin(m_settings.Bin()) : 0);
    bool custom = true;
    if (m_papers->count() > 0) {
        const int paper = info ? info->IndexOfPaperId(m_settings.PaperSize()) : m_papers->count() - 1;
        m_papers->setCurrentIndex(paper);
        custom = paper == m_papers->count() - 1;
    }
    m_width->setEnabled(custom);
    m_height->setEnabled(custom);
    if (custom) {
        // The boxes keep a custom sheet inside their range.
        m_settings.SetPaperWidth(static_cast<int>(Round(m_width->value() * kCmDecimalsScaleSize)));
        m_settings.SetPaperHeight(static_cast<int>(Round(m_height->value() * kCmDecimalsScaleSize)));
    }
    m_updating = false;
    m_picture->update();
}

void TRMPageSetupForm::UpdateOrientationPicture()
{
    // The 16-pixel drawing at twice its size: its 2x picture shown at 32 x 32.
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = OrientationIcon(m_settings.Orientation() == 1).pixmap(QSize(16, 16), 2 * ratio);
    picture.setDevicePixelRatio(ratio);
    m_orientationPicture->setPixmap(picture);
}

void TRMPageSetupForm::PaperChosen(int index)
{
    if (m_updating || CancelActive() || index < 0)
        return;
    const TRMPrinterInfo* info = ChosenInfo();
    if (!info || index >= info->PaperCount())
        return;
    m_settings.SetPaperSize(info->PaperId(index));
    if (index != info->PaperCount() - 1) {
        int w = info->PaperWidth(index);
        int h = info->PaperHeight(index);
        if (m_settings.Orientation() == 1)
            std::swap(w, h);
        m_settings.SetPaperWidth(w);
        m_settings.SetPaperHeight(h);
    }
    UpdateControls();
}

void TRMPageSetupForm::SizeEdited()
{
    if (m_updating || CancelActive())
        return;
    const auto tenths = [](const QDoubleSpinBox* box) {
        return std::clamp(static_cast<int>(Round(box->value() * kCmDecimalsScaleSize)), kMinCustomPaperSide,
            kMaxCustomPaperSide);
    };
    m_settings.SetPaperWidth(tenths(m_width));
    m_settings.SetPaperHeight(tenths(m_height));
    UpdateControls();
}

void TRMPageSetupForm::OrientationClicked(int orientation)
{
    if (m_updating || CancelActive())
        return;
    m_settings.SetOrientation(orientation);
    UpdateControls();
}

void TRMPageSetupForm::MarginEdited(
    QDoubleSpinBox* box, void (TRMPageSetting::*set)(double), double (TRMPageSetting::*get)() const)
{
    if (m_updating || CancelActive())
        return;
    (m_settings.*set)(box->value() * kMmPerCm);
    if (box->value() < 0) {
        // Refused: the box shows again what the setting holds.
        m_updating = true;
        box->setValue((m_settings.*get)() / kMmPerCm);
        m_updating = false;
    }
    m_picture->update();
}

void TRMPageSetupForm::ColumnsEdited()
{
    if (m_updating || CancelActive())
        return;
    m_settings.SetColumns(m_columns->value());
    m_picture->update();
}

void TRMPageSetupForm::SourceChosen(int row)
{
    if (m_updating || CancelActive() || row < 0)
        return;
    const TRMPrinterInfo* info = ChosenInfo();
    m_settings.SetBin(info ? info->BinAt(row) : 0);
}

void TRMPageSetupForm::OkClick()
{
    try {
        TRMPrinter& printer = GetReportPrinter();
        printer.SetSelectedPrinter(PrinterIndex());
        const TRMPrinterInfo* info = printer.PrinterInfo();
        if (!info || info->IndexOfPaperId(m_settings.PaperSize()) == info->PaperCount() - 1) {
            // A custom sheet never goes to the printer smaller than the boxes allow.
            m_settings.SetPaperWidth(std::clamp(m_settings.PaperWidth(), kMinCustomPaperSide, kMaxCustomPaperSide));
            m_settings.SetPaperHeight(std::clamp(m_settings.PaperHeight(), kMinCustomPaperSide, kMaxCustomPaperSide));
        }
        printer.SetPageSettings(m_settings.PaperSize(), m_settings.PaperWidth(), m_settings.PaperHeight(),
            m_settings.Orientation() == 1, m_settings.Bin(), false);
        TRMPageMetrics metrics;
        printer.FillPageMetrics(metrics);
        const TRMMarginsMm unprintable =
            RMUnprintableMargins(printer.GetPrintableOffsets(), printer.GetPixelsPerInch());
        if (RMMarginsOutsidePrintable(m_settings, unprintable)
            && ShowMessageBox(this, RMLoadStr(45213), RMLoadStr(47437), MsgIcon::Warning, MsgYes | MsgNo) == MsgYes) {
            RMAdjustMarginsToPrintable(m_settings, unprintable);
            UpdateControls();
        }
    } catch (const TRMPrinterError& e) {
        ShowErrorBox(this, e.Message());
        return;
    } catch (const std::exception& e) {
        ShowErrorBox(this, QString::fromLocal8Bit(e.what()));
        return;
    }
    accept();
}

} // namespace pq
