#include "report/preview/print/rm_print_form.h"

#include "base/drawn_icon.h"
#include "base/message_box.h"
#include "base/rounding.h"
#include "base/units.h"
#include "report/preview/print/rm_page_list.h"
#include "report/preview/printer/printer.h"
#include "resources/rm_dialog_font.h"
#include "resources/rm_locale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <utility>

namespace pq {

namespace {

// Offsets beyond a metre are no shift of a sheet any more; the boxes stop there, so the
// pixel arithmetic behind them can never overflow.
constexpr double kMaxOffsetCm = 100.0;

struct StatusCode {
    unsigned code;
    const char* text;
};
// The status codes a printer reports, in the words the dialog shows them. 0x8 is the paper
// jam, for which the word is ours.
constexpr StatusCode kStatusTexts[] = {
    {0x1, "暂停"}, {0x2, "错误"}, {0x4, "Pending Deletion"}, {0x8, "卡纸"}, {0x10, "缺纸"},
    {0x20, "手动进纸"}, {0x40, "纸张有问题"}, {0x80, "没有联机"}, {0x100, "IO Active"},
    {0x200, "打印机忙"}, {0x400, "正在打印"}, {0x800, "出纸盒满"}, {0x1000, "不可用"},
    {0x2000, "Door Open"}, {0x4000, "正在处理"}, {0x8000, "正在初始化"}, {0x10000, "正在预热"},
    {0x20000, "Toner Low"}, {0x40000, "No Toner"}, {0x80000, "出纸"}, {0x100000, "用户干涉"},
    {0x200000, "打印机内存满"}, {0x400000, "Door Open"},
};

// A printer seen from the front: the glyph of every printer box item.
void PaintPrinterGlyph(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(5, 1, 8, 5);                 // paper coming in
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 6, 16, 6);                // body
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(3, 12, 12, 2);               // tray
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 160, 0));
    p.drawRect(13, 8, 2, 2);                // the ready light
}

// Three sheets of a copy, drawn as a fanned stack with their page numbers.
void PaintStack(QPainter& p, int x, int y, const QList<int>& numbers)
{
    QFont f = p.font();
    f.setPixelSize(9);
    p.setFont(f);
    for (int k = static_cast<int>(numbers.size()) - 1; k >= 0; --k) {
        const QRect sheet(x + 5 * k, y + 4 * k, 18, 24);
        p.setPen(QColor(64, 64, 64));
        p.setBrush(Qt::white);
        p.drawRect(sheet);
        p.drawText(sheet.adjusted(0, 0, -2, -2), Qt::AlignRight | Qt::AlignBottom, QString::number(numbers[k]));
    }
}

QPixmap CollatePixmap(bool collated)
{
    QPixmap pm(104, 44);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    if (collated) {
        PaintStack(p, 2, 2, {1, 2, 3});
        PaintStack(p, 56, 2, {1, 2, 3});
    } else {
        PaintStack(p, 0, 2, {1, 1});
        PaintStack(p, 34, 2, {2, 2});
        PaintStack(p, 68, 2, {3, 3});
    }
    return pm;
}

template <class W>
W* Place(W* widget, int x, int y, int w, int h)
{
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* Label(QWidget* parent, int id, int x, int y, int w = -1)
{
    auto* l = new QLabel(RMLoadStr(id), parent);
    l->adjustSize();
    l->move(x, y);
    if (w > 0)
        l->resize(w, l->height());
    return l;
}

QDoubleSpinBox* CentimetreBox(QWidget* parent, int x, int y)
{
    auto* box = Place(new QDoubleSpinBox(parent), x, y, 83, 21);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setRange(-kMaxOffsetCm, kMaxOffsetCm);
    return box;
}

} // namespace

QString RMPrinterStatusText(unsigned status, int jobs)
{
    QString text = RMLoadStr(jobs > 0 ? 46864 : 46865);
    for (const StatusCode& s : kStatusTexts)
        if (status == s.code)
            text = QString::fromUtf8(s.text);
    if (jobs > 0) {
        if (!text.isEmpty())
            text += QLatin1Char(':');
        text += RMLoadStr(46856).replace(QStringLiteral("%d"), QString::number(jobs));
    }
    return text;
}

int RMPrinterBoxIndexFor(int printerIndex) { return printerIndex > 1 ? printerIndex - 1 : 0; }
int RMPrinterEntryForBox(int boxIndex) { return boxIndex <= 0 ? 0 : boxIndex + 1; }

TRMPrintForm::TRMPrintForm(QWidget* parent)
    : QDialog(parent)
{
    setFont(RMDialogFont());
    setWindowTitle(RMLoadStr(45040));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    BuildLayout();
    setFixedSize(512, 320);

    TRMCustomPrinter& printer = GetReportPrinter();
    m_previousPrinter = printer.SelectedPrinter();
    const QStringList names = printer.PrinterList().Names();
    const QIcon glyph = DrawnIcon(PaintPrinterGlyph, QSize(18, 16));
    for (int i = 0; i < names.size(); ++i)
        if (i != 1)
            m_printerBox->addItem(glyph, names[i]);
    m_printerBox->setCurrentIndex(std::min(RMPrinterBoxIndexFor(m_previousPrinter), m_printerBox->count() - 1));
    connect(m_printerBox, &QComboBox::currentIndexChanged, this, [this] { PrinterChosen(); });
}

TRMPrintForm::~TRMPrintForm() = default;

void TRMPrintForm::BuildLayout()
{
    // The printer.
    auto* printerGroup = Place(new QGroupBox(RMLoadStr(45041), this), 4, 6, 505, 101);
    auto* name = Label(printerGroup, 45049, 10, 23);
    m_printerBox = Place(new QComboBox(printerGroup), 72, 18, 290, 24);
    m_printerBox->setIconSize(QSize(18, 16));
    name->setBuddy(m_printerBox);
    m_properties = Place(new QPushButton(RMLoadStr(45042), printerGroup), 420, 17, 75, 25);
    connect(m_properties, &QPushButton::clicked, this, [this] { PropertiesClicked(); });
    const int rows[] = {47, 61, 75, 89};
    const int ids[] = {45056, 45057, 45058, 46831};
    QLabel** values[] = {&m_status, &m_type, &m_place, &m_comment};
    for (int k = 0; k < 4; ++k) {
        Label(printerGroup, ids[k], 10, rows[k] - 2);
        *values[k] = Place(new QLabel(printerGroup), 72, rows[k] - 2, 300, 14);
    }
    m_taoda = Place(new QCheckBox(RMLoadStr(45375), printerGroup), 380, 42, 120, 20);

    // The pages.
    auto* rangeGroup = Place(new QGroupBox(RMLoadStr(45044), this), 4, 109, 266, 102);
    m_all = Place(new QRadioButton(RMLoadStr(45045), rangeGroup), 10, 18, 120, 20);
    m_current = Place(new QRadioButton(RMLoadStr(45046), rangeGroup), 10, 39, 120, 20);
    m_pagesButton = Place(new QRadioButton(RMLoadStr(45047), rangeGroup), 10, 60, 64, 20);
    m_pageEdit = Place(new QLineEdit(rangeGroup), 78, 60, 178, 21);
    // Digits, commas and dashes only; editing keys work as everywhere.
    m_pageEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,\\-]*")), m_pageEdit));
    m_pageEdit->installEventFilter(this);
    auto* hint = Label(rangeGroup, 45048, 10, 84, 250);
    hint->setWordWrap(false);
    m_all->setChecked(true);
    connect(m_pagesButton, &QRadioButton::clicked, this, [this] { m_pageEdit->setFocus(Qt::OtherFocusReason); });

    // The copies.
    auto* copiesGroup = Place(new QGroupBox(RMLoadStr(45043), this), 273, 109, 236, 103);
    auto* copiesLabel = Label(copiesGroup, 45050, 10, 18);
    m_copies = Place(new QSpinBox(copiesGroup), 126, 15, 64, 21);
    m_copies->setRange(1, 9999);
    copiesLabel->setBuddy(m_copies);
    m_collatePicture = Place(new QLabel(copiesGroup), 10, 44, 104, 44);
    m_collate = Place(new QCheckBox(RMLoadStr(45051), copiesGroup), 126, 56, 100, 20);
    m_collate->setChecked(true);
    connect(m_collate, &QCheckBox::toggled, this, [this] { UpdateCollatePicture(); });
    UpdateCollatePicture();

    // Scaling.
    auto* scaleGroup = Place(new QGroupBox(RMLoadStr(46860), this), 273, 214, 236, 61);
    Label(scaleGroup, 46863, 8, 15);
    m_scale = Place(new QSpinBox(scaleGroup), 95, 12, 136, 21);
    m_scale->setRange(1, 1000);
    m_scale->setValue(100);
    Label(scaleGroup, 46861, 8, 38);
    m_scalePaper = Place(new QComboBox(scaleGroup), 95, 35, 136, 21);

    // The offsets.
    auto* offsetGroup = Place(new QGroupBox(RMLoadStr(45414), this), 4, 214, 266, 61);
    Label(offsetGroup, 45370, 8, 15);
    m_offsetTop = CentimetreBox(offsetGroup, 119, 12);
    Label(offsetGroup, 45404, 8, 38);
    m_offsetLeft = CentimetreBox(offsetGroup, 119, 35);
    connect(m_offsetTop, &QDoubleSpinBox::valueChanged, this, [this](double cm) { m_offsetTopMm = cm * 10; });
    connect(m_offsetLeft, &QDoubleSpinBox::valueChanged, this, [this](double cm) { m_offsetLeftMm = cm * 10; });

    // Page kind, beside the buttons.
    auto* kindLabel = Label(this, 45052, 10, 291);
    m_kind = Place(new QComboBox(this), kindLabel->x() + kindLabel->width() + 11, 287, 120, 22);
    for (int id : {45053, 45054, 45055})
        m_kind->addItem(RMLoadStr(id));
    m_kind->setCurrentIndex(0);
    kindLabel->setBuddy(m_kind);

    m_ok = Place(new QPushButton(RMLoadStr(47000), this), 352, 286, 75, 25);
    m_cancel = Place(new QPushButton(RMLoadStr(47001), this), 433, 286, 75, 25);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &TRMPrintForm::accept);
    connect(m_cancel, &QPushButton::clicked, this, &TRMPrintForm::reject);
}

void TRMPrintForm::UpdateCollatePicture()
{
    m_collatePicture->setPixmap(CollatePixmap(m_collate->isChecked()));
}

void TRMPrintForm::SetCopies(int copies) { m_copies->setValue(std::max(1, copies)); }

void TRMPrintForm::SetOffsetTop(int pixels)
{
    // The box shows centimetres to two places; the millimetres stay exact.
    m_offsetTopMm = std::clamp(units::PixelsToMm(pixels), -kMaxOffsetCm * 10, kMaxOffsetCm * 10);
    const QSignalBlocker quiet(m_offsetTop);
    m_offsetTop->setValue(m_offsetTopMm / 10);
}

void TRMPrintForm::SetOffsetLeft(int pixels)
{
    // The box shows centimetres to two places; the millimetres stay exact.
    m_offsetLeftMm = std::clamp(units::PixelsToMm(pixels), -kMaxOffsetCm * 10, kMaxOffsetCm * 10);
    const QSignalBlocker quiet(m_offsetLeft);
    m_offsetLeft->setValue(m_offsetLeftMm / 10);
}

int TRMPrintForm::GetOffsetTop() const { return RoundToInt(units::MmToPixels(m_offsetTopMm)); }
int TRMPrintForm::GetOffsetLeft() const { return RoundToInt(units::MmToPixels(m_offsetLeftMm)); }
int TRMPrintForm::GetCopies() const { return std::max(1, m_copies->value()); }
int TRMPrintForm::GetScale() const { return std::max(1, m_scale->value()); }
int TRMPrintForm::PageKind() const { return m_kind->currentIndex(); }
bool TRMPrintForm::Collate() const { return m_collate->isChecked(); }
bool TRMPrintForm::Taoda() const { return m_taoda->isChecked(); }

QString TRMPrintForm::PageText(int currentPage) const
{
    if (m_all->isChecked())
        return {};
    if (m_current->isChecked())
        return QString::number(currentPage);
    return m_pageEdit->text();
}

TRMPrintForm::TScalePaper TRMPrintForm::GetScalePaper() const
{
    TScalePaper paper;
    const int k = m_scalePaper->currentIndex();
    TRMPrinterInfo* info = GetReportPrinter().PrinterInfo();
    if (k <= 0 || !info || k - 1 >= info->PaperCount())
        return paper;
    paper.Id = info->PaperId(k - 1);
    paper.Width = info->PaperWidth(k - 1);
    paper.Height = info->PaperHeight(k - 1);
    return paper;
}

void TRMPrintForm::SelectCurrentPrinter() { PrinterChosen(); }

void TRMPrintForm::PrinterChosen()
{
    GetReportPrinter().SetSelectedPrinter(RMPrinterEntryForBox(m_printerBox->currentIndex()));
    RefreshStatus();
    RefreshScalePapers();
}

void TRMPrintForm::RefreshStatus()
{
    for (QLabel* l : {m_status, m_type, m_place, m_comment})
        l->clear();
    TRMCustomPrinter& printer = GetReportPrinter();
    TRMPrinterInfo* info = printer.PrinterInfo();
    if (!info || !printer.IsRealPrinter())
        return;
    const std::optional<TRMPrinterStatus> s = printer.PrinterList().Backend().GetPrinter(info->Device);
    if (!s)
        return;
    m_type->setText(s->Driver);
    m_place->setText(s->Port);
    m_comment->setText(s->Comment);
    m_status->setText(RMPrinterStatusText(s->Status, s->Jobs));
}

void TRMPrintForm::RefreshScalePapers()
{
    m_scalePaper->clear();
    m_scalePaper->addItem(RMLoadStr(46862));
    if (TRMPrinterInfo* info = GetReportPrinter().PrinterInfo())
        for (int i = 0; i + 1 < info->PaperCount(); ++i)
            m_scalePaper->addItem(info->PaperNames.value(i));
    m_scalePaper->setCurrentIndex(0);
}

void TRMPrintForm::PropertiesClicked()
{
    GetReportPrinter().ShowPropertiesDialog(this);
    RefreshStatus();
}

void TRMPrintForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    PrinterChosen();
}

bool TRMPrintForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pageEdit && event->type() == QEvent::FocusIn)
        m_pagesButton->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

void TRMPrintForm::accept()
{
    // A list that cannot be read is said here, while the user can still correct it.
    if (m_pagesButton->isChecked()) {
        try {
            TRMPageList::Parse(m_pageEdit->text(), m_pageCount);
        } catch (const TRMPageListError& e) {
            ShowErrorBox(this, e.Message());
            m_pageEdit->setFocus(Qt::OtherFocusReason);
            m_pageEdit->selectAll();
            return;
        }
    }
    QDialog::accept();
}

void TRMPrintForm::reject()
{
    GetReportPrinter().SetSelectedPrinter(m_previousPrinter);
    QDialog::reject();
}

} // namespace pq
