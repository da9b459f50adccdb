#include "paymenttype/frm_payment_type.h"

#include "base/gbk_text.h"
#include "base/guard.h"
#include "base/message_box.h"
#include "paymenttype/list_report_engine.h"
#include "paymenttype/payment_type_glyphs.h"
#include "plugin/app_server.h"
#include "plugin/plugin_context.h"
#include "plugin/server_errors.h"
#include "report/gridreport/rm_grid_report.h"
#include "widgets/db_grid_mt.h"
#include "widgets/editable_string_grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>
#include <utility>

namespace pq {

namespace {

const QString kEmptyCode = QStringLiteral("支付方式编码不能为空!");
const QString kUnknownUnit = QStringLiteral("无此核算单位号!");

struct ColumnDef {
    const char* title;
    int width;
    int maxBytes;
    bool readOnly;
};
const ColumnDef kColumns[] = {
    {"支付方式编码", 137, 4, false},
    {"支付方式名称", 155, 150, false},
    {"自动付款核算单位号", 135, 4, false},
    {"自动付款核算单位名称", 191, 60, true},
};

// The integer a code cell holds: optional leading blanks and sign, then digits, nothing after.
bool ParseCodeNumber(const QString& text, long long& value)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const QString rest = text.mid(i);
    if (rest.isEmpty())
        return false;
    qsizetype d = 0;
    if (rest.at(0) == QLatin1Char('+') || rest.at(0) == QLatin1Char('-'))
        d = 1;
    if (d >= rest.size())
        return false;
    for (qsizetype k = d; k < rest.size(); ++k)
        if (!rest.at(k).isDigit() || rest.at(k).unicode() > 0x7F)
            return false;
    bool ok = false;
    value = rest.toLongLong(&ok);
    return ok && value < std::numeric_limits<long long>::max();
}

} // namespace

PaymentTypeWindowValues& WindowValues()
{
    static PaymentTypeWindowValues values;
    return values;
}

void ClearWindowValues()
{
    WindowValues() = PaymentTypeWindowValues{};
}

TfrmpaymentType::TfrmpaymentType(QWidget* ownerPanel, IAppServer* server) : TFrmBase(ownerPanel), m_server(server)
{
    setObjectName(QStringLiteral("frmpaymentType"));
    setWindowTitle(QStringLiteral("支付方式档案"));
    PanelMain()->resize(698, 442);
    if (!ownerPanel)
        resize(698, 442);

    auto* layout = new QVBoxLayout(PanelMain());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    BuildGrid();
    BuildListPrinting();
    layout->addWidget(tlbPaymentType);
    layout->addWidget(sgdPaymentType, 1);
    SetupRopHelp(RopHelp);

    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);
}

TfrmpaymentType::~TfrmpaymentType()
{
    if (qApp)
        qApp->removeEventFilter(this);
    // The report and the hidden grid read cdsprint, a member: they go before it.
    delete RMFormReport1;
    delete dgdView;
    // The window is the engine's one user; stopping it here, not at unload, frees what it
    // made while every object of this library still lives.
    ReleaseListReportEngine();
}

void TfrmpaymentType::BuildToolBar()
{
    tlbPaymentType = new QToolBar(PanelMain());
    tlbPaymentType->setObjectName(QStringLiteral("tlbPaymentType"));
    tlbPaymentType->setFixedHeight(35);
    tlbPaymentType->setMovable(false);
    tlbPaymentType->setFloatable(false);
    tlbPaymentType->setIconSize(QSize(16, 16));
    tlbPaymentType->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tlbPaymentType->setContentsMargins(0, 0, 0, 0);
    tlbPaymentType->setStyleSheet(QStringLiteral(
        "QToolBar { border: 0px; spacing: 0px; padding: 0px; }"
        "QToolButton { color: black; padding: 0px; margin: 0px; }"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);

    auto addButton = [&](const char* name, const char* caption, const char* hint, int image, auto handler) {
        auto* b = new QToolButton(tlbPaymentType);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(caption));
        if (hint && *hint)
            b->setToolTip(QString::fromUtf8(hint));
        b->setIcon(PaymentTypeGlyph(image));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedSize(43, 35);
        b->setFont(font);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, Guarded(this, [this, handler] { (this->*handler)(); }));
        tlbPaymentType->addWidget(b);
        return b;
    };
    auto addSeparator = [&] {
        auto* sep = new QWidget(tlbPaymentType);
        sep->setFixedSize(8, 35);
        tlbPaymentType->addWidget(sep);
    };

    btnAdd = addButton("btnAdd", "增  行", "增加一行 Ctrl+A", 0, &TfrmpaymentType::btnAddClick);
    btnInsert = addButton("btnInsert", "插  行", "插入一行 Ctrl+I", 1, &TfrmpaymentType::btnInsertClick);
    btnDelete = addButton("btnDelete", "删  行", "删除一行 Ctrl+D", 2, &TfrmpaymentType::btnDeleteClick);
    btnRefresh = addButton("btnRefresh", "刷  新", "Ctrl+R", 5, &TfrmpaymentType::btnRefreshClick);
    addSeparator();
    btnPreview = addButton("btnPreview", "预  览", "Ctrv+V", 3, &TfrmpaymentType::btnPreviewClick);
    btnPrint = addButton("btnPrint", "打  印", "", 4, &TfrmpaymentType::btnPrintClick);
    addSeparator();
    ToolButton1 = addButton("ToolButton1", "助  手", "", 7, &TfrmpaymentType::ToolButton1Click);
    btnExit = addButton("btnExit", "退  出", "", 6, &TfrmpaymentType::btnExitClick);
}

void TfrmpaymentType::BuildGrid()
{
    sgdPaymentType = new EditableStringGrid(PanelMain());
    EditableStringGrid* g = sgdPaymentType;
    g->setObjectName(QStringLiteral("sgdPaymentType"));
    g->setFrameShape(QFrame::NoFrame);
    g->SetColCount(4);
    g->SetFixedRows(1);
    g->SetRowCount(2);
    g->SetDefaultRowHeight(18);
    g->SetCellColor(QColor(251, 254, 222));
    g->SetGridLineColor(QColor(0, 128, 0));
    g->SetFixedColor(QColor(0, 128, 0));
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPixelSize(12);
    g->SetTitleFont(titleFont);
    g->SetTitleFontColor(palette().color(QPalette::Base));
    for (int c = 0; c < 4; ++c) {
        g->SetCell(c, 0, QString::fromUtf8(kColumns[c].title));
        g->SetColWidth(c, kColumns[c].width);
        g->SetColMaxLength(c, kColumns[c].maxBytes);
        g->SetColReadOnly(c, kColumns[c].readOnly);
    }
    // Grid events run guarded: an exception in a handler refuses the move or key after its
    // error box, and never reaches the grid.
    g->OnSelectCell = [this](int col, int row) {
        bool allow = false;
        RunGuarded(this, [&] { allow = sgdPaymentTypeSelectCell(col, row); });
        return allow;
    };
    g->OnKeyDown = [this](int& key, Qt::KeyboardModifiers mods) {
        bool go = false;
        RunGuarded(this, [&] { go = sgdPaymentTypeKeyDown(key, mods); });
        return go;
    };
    g->OnKeyPress = [this](QChar& ch) {
        bool go = false;
        RunGuarded(this, [&] { go = sgdPaymentTypeKeyPress(ch); });
        return go;
    };
}

IAppServer* TfrmpaymentType::Server() const { return m_server ? m_server : AppServer(); }

void TfrmpaymentType::FormCreate()
{
    TFrmBase::FormCreate();
    PaymentTypeWindowValues& v = WindowValues();
    v = PaymentTypeWindowValues{};

    Variant date;
    if (GetServerDate(Server(), date))
        RunGuarded(this, [&] { v.ServerDateText = date.toText().left(8); });
    Variant time;
    if (GetServerTime(Server(), time))
        RunGuarded(this, [&] { v.ServerTimeText = time.toText().mid(8, 6); });

    const QString code = Context().OperatorCode;
    Variant data;
    if (QueryData(Server(), QStringLiteral("select f_zymc from tbzyda where f_zybm='") + TPaymentTypeClass::Quoted(code)
                + QStringLiteral("'"),
            data)) {
        RunGuarded(this, [&] {
            Cdset.LoadPacket(data);
            if (Cdset.IsEmpty())
                v.OperatorName = code;
            else
                v.OperatorName = Cdset.Text(QStringLiteral("f_zymc"));
        });
    } else {
        // Shown once the window is on the screen, over it, rather than before it at the
        // host's corner.
        m_startupErrors << ShowServerError(nullptr, data);
    }

    m_store = std::make_unique<TPaymentTypeClass>(this, &cdsmain, sgdPaymentType, m_server);

    // Not showing yet, so this move runs no row check.
    sgdPaymentType->TrySetCurrent(1, sgdPaymentType->RowCount() - 1);
    Appending = false;
    Inserting = false;
    SkipCheck = false;
}

void TfrmpaymentType::showEvent(QShowEvent* e)
{
    TFrmBase::showEvent(e);
    if (!e->spontaneous())
        RunGuarded(this, [this] { FormShow(); });
}

void TfrmpaymentType::FormShow()
{
    const QStringList errors = std::exchange(m_startupErrors, {});
    for (const QString& text : errors)
        ShowErrorBox(this, text);
    FillGrid();
    GoToLastRow();
    sgdPaymentType->setFocus();
}

void TfrmpaymentType::GoToLastRow()
{
    EditableStringGrid* g = sgdPaymentType;
    // A refused move (the row being left does not pass its check) keeps the cursor there;
    // the column move that follows happens all the same, so the window is fully usable.
    g->TrySetCurrent(g->Col(), g->RowCount() - 1);
    g->TrySetCurrent(1, g->Row());
}

void TfrmpaymentType::FormClose()
{
    m_store.reset();
    TFrmBase::FormClose();
}

void TfrmpaymentType::FillGrid()
{
    m_store->Records.clear();
    m_store->LoadList();
    const TPaymentTypeRecords& recs = m_store->Records;
    EditableStringGrid* g = sgdPaymentType;
    if (recs.isEmpty()) {
        // Keep rows and records aligned: one empty data row.
        g->SetRowCount(2);
        for (int c = 0; c < g->ColCount(); ++c)
            g->SetCell(c, 1, QString());
        return;
    }
    g->SetRowCount(static_cast<int>(recs.size()) + 1);
    // All rows at once: one repaint, not one per cell.
    QList<QStringList> rows;
    rows.reserve(recs.size());
    for (const TPaymentTypeRecord& r : recs)
        rows.append(QStringList{r.Code, TrimBlanks(r.Name), TrimBlanks(r.UnitNo), TrimBlanks(r.UnitName)});
    g->SetRows(1, std::move(rows));
}

bool TfrmpaymentType::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const bool inside = (w == this || isAncestorOf(w));
        // Seen once, at the first receiver: the control that has the focus within its top-level
        // window (where a key is delivered), or this window when none has. Asked of the
        // top-level, not of the application, so it holds whether or not the desktop
        // considers the window active (no window manager, a message box just closed).
        QWidget* focus = w->window()->focusWidget();
        const bool firstReceiver = (w == focus) || (!focus && w == this);
        if (inside && firstReceiver && isVisible()) {
            auto* k = static_cast<QKeyEvent*>(e);
            const int key = k->key();
            const Qt::KeyboardModifiers mods = k->modifiers();
            bool command = false;
            RunGuarded(this, [&] { command = FormKeyDown(key, mods); });
            // The window's command keys are its own: passed on, the cell editor would take
            // Ctrl+A for select-all and Ctrl+V for paste, editing a cell the command refused
            // to leave or has just moved from.
            if (command)
                return true;
        }
    }
    return TFrmBase::eventFilter(watched, e);
}

bool TfrmpaymentType::FormKeyDown(int key, Qt::KeyboardModifiers mods)
{
    bool command = false;
    if (mods & Qt::ControlModifier) {
        command = true;
        switch (key) {
        case Qt::Key_A: btnAddClick(); break;
        case Qt::Key_I: btnInsertClick(); break;
        case Qt::Key_D: btnDeleteClick(); break;
        case Qt::Key_V: btnPreviewClick(); break;
        case Qt::Key_P: btnPrintClick(); break;
        case Qt::Key_R: btnRefreshClick(); break;
        default: command = false; break;
        }
    }
    if (key == Qt::Key_Escape)
        btnExitClick();
    return command;
}

QString TfrmpaymentType::TrimOrBlank(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral(" ");
    return TrimBlanks(text);
}

bool TfrmpaymentType::RowEdited(int r) const
{
    const EditableStringGrid* g = sgdPaymentType;
    const TPaymentTypeRecords& recs = m_store->Records;
    if (r >= 1 && r - 1 < recs.size()) {
        const TPaymentTypeRecord& rec = recs[r - 1];
        return TrimBlanks(g->Cell(0, r)) != TrimBlanks(rec.Code) || TrimBlanks(g->Cell(1, r)) != TrimBlanks(rec.Name)
            || TrimBlanks(g->Cell(2, r)) != TrimBlanks(rec.UnitNo);
    }
    for (int c = 0; c < 3; ++c)
        if (!TrimBlanks(g->Cell(c, r)).isEmpty())
            return true;
    return false;
}

bool TfrmpaymentType::sgdPaymentTypeSelectCell(int /*col*/, int row)
{
    EditableStringGrid* g = sgdPaymentType;
    if (!isVisible())
        return true;
    const int current = g->Row();
    if (row == current)
        return true;
    // The row was just removed by a deletion that now moves the cursor to the new last row.
    if (current == g->RowCount())
        return true;

    if (current == g->RowCount() - 1 && TrimBlanks(g->Cell(0, current)).isEmpty()
        && TrimBlanks(g->Cell(1, current)).isEmpty() && TrimBlanks(g->Cell(2, current)).isEmpty()) {
        Appending = false;
        Inserting = false;
        SkipCheck = true;
        // A stored row dropped from the grid leaves the records too, so both stay aligned.
        if (current - 1 < m_store->Records.size())
            m_store->Records.removeAt(current - 1);
        g->DeleteRow(current);
        return true;
    }

    // After a deletion the next move skips the check, unless the row being left was edited:
    // an edit is never dropped.
    if ((!SkipCheck || RowEdited(current)) && !CheckRow(current))
        return false;
    SkipCheck = false;
    return true;
}

bool TfrmpaymentType::LookUpUnit(int r, bool& unitKnown)
{
    EditableStringGrid* g = sgdPaymentType;
    unitKnown = true;
    if (TrimBlanks(g->Cell(2, r)).isEmpty()) {
        g->SetCell(3, r, QString());
        return true;
    }
    Variant data;
    if (!QueryData(Server(),
            QStringLiteral("select f_hsdwmc from tbhsdwda where f_hsdwh='") + TPaymentTypeClass::Quoted(g->Cell(2, r))
                + QStringLiteral("'"),
            data)) {
        ShowServerError(g, data);
        return true; // cells left as they are; the row may still be written
    }
    bool ok = true;
    cdsmain.LoadPacket(data);
    if (cdsmain.IsEmpty()) {
        g->SetCell(2, r, QString());
        g->SetCell(3, r, QString());
        ShowErrorBox(g, kUnknownUnit);
        ok = false;
        unitKnown = false;
    }
    g->SetCell(3, r, cdsmain.IsEmpty() ? QString() : cdsmain.Text(0));
    cdsmain.Close();
    return ok;
}

bool TfrmpaymentType::CheckRow(int r)
{
    EditableStringGrid* g = sgdPaymentType;
    if (m_store->Records.isEmpty())
        Appending = true;
    bool ok = true;
    if (!TrimBlanks(g->Cell(0, r)).isEmpty()) {
        // The accounting unit is looked up before anything is written, so a number the
        // lookup rejects never reaches the database.
        bool unitKnown = true;
        if (!LookUpUnit(r, unitKnown))
            ok = false;
        if (unitKnown && !SaveRow())
            ok = false;
    } else {
        if (g->RowCount() > 1) {
            ShowErrorBox(this, kEmptyCode);
            ok = false;
        }
        bool unitKnown = true;
        if (!LookUpUnit(r, unitKnown))
            ok = false;
    }
    return ok;
}

bool TfrmpaymentType::SaveRow()
{
    EditableStringGrid* g = sgdPaymentType;
    const int R = g->Row();
    TPaymentTypeRecords& recs = m_store->Records;
    if (Appending || Inserting) {
        TPaymentTypeRecord rec{TrimOrBlank(g->Cell(0, R)), TrimOrBlank(g->Cell(1, R)), TrimOrBlank(g->Cell(2, R)),
            TrimOrBlank(g->Cell(3, R))};
        if (!m_store->AddRecord(rec))
            return false;
        const TPaymentTypeRecord stored{TrimOrBlank(g->Cell(0, R)), TrimOrBlank(g->Cell(1, R)),
            TrimBlanks(g->Cell(2, R)), TrimBlanks(g->Cell(3, R))};
        // One record for the one new row, at its place.
        const qsizetype at = Inserting ? qBound(qsizetype(0), qsizetype(R - 1), recs.size()) : recs.size();
        recs.insert(at, stored);
        Appending = false;
        Inserting = false;
        return true;
    }
    if (g->Modified()) {
        if (R < 1 || R - 1 >= recs.size())
            return true;
        const TPaymentTypeRecord rec{TrimOrBlank(g->Cell(0, R)), TrimOrBlank(g->Cell(1, R)), TrimBlanks(g->Cell(2, R)),
            TrimBlanks(g->Cell(3, R))};
        if (m_store->ModifyRecord(rec, recs[R - 1])) {
            recs[R - 1] = rec;
            g->SetModified(false);
            return true;
        }
        g->SetCell(0, R, recs[R - 1].Code);
        return false;
    }
    return true;
}

void TfrmpaymentType::btnAddClick()
{
    EditableStringGrid* g = sgdPaymentType;
    if (!CheckRow(g->Row()))
        return;
    g->AppendRow();
    g->SetCol(0);
    Appending = true;
    SkipCheck = false;
}

void TfrmpaymentType::btnInsertClick()
{
    EditableStringGrid* g = sgdPaymentType;
    if (!CheckRow(g->Row()))
        return;
    g->InsertRow(g->Row());
    g->SetCol(0);
    Inserting = true;
    SkipCheck = false;
}

void TfrmpaymentType::btnDeleteClick()
{
    EditableStringGrid* g = sgdPaymentType;
    const int R = g->Row();
    if (Appending || Inserting) {
        Appending = false;
        Inserting = false;
        SkipCheck = true;
        g->DeleteRow(R);
        return;
    }
    TPaymentTypeRecords& recs = m_store->Records;
    if (R >= 1 && R <= recs.size()) {
        // The stored record names the payment type, whatever was typed into the cell since.
        if (m_store->DeleteRecord(TrimBlanks(recs[R - 1].Code))) {
            SkipCheck = true;
            recs.removeAt(R - 1);
            g->DeleteRow(R);
        }
    }
}

void TfrmpaymentType::btnRefreshClick()
{
    if (CheckRow(sgdPaymentType->Row()))
        FillGrid();
    GoToLastRow();
}

void TfrmpaymentType::btnPreviewClick() { PrintList(false); }
void TfrmpaymentType::btnPrintClick() { PrintList(true); }

void TfrmpaymentType::ToolButton1Click() { RopHelp.ShowPopup(); }

void TfrmpaymentType::btnExitClick() { close(); }

bool TfrmpaymentType::sgdPaymentTypeKeyDown(int& key, Qt::KeyboardModifiers /*mods*/)
{
    EditableStringGrid* g = sgdPaymentType;
    const int R = g->Row();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (g->Col() == 0 && R >= 2 && TrimBlanks(g->Cell(0, R)).isEmpty() && (Appending || Inserting)) {
            const QString above = g->Cell(0, R - 1);
            long long value = 0;
            if (ParseCodeNumber(above, value)) {
                const QString next = ZeroPadNumber(static_cast<int>(TrimBlanks(above).size()), value + 1);
                // A number that no longer fits the code column is not written.
                if (GbkLength(next) <= g->ColMaxLength(0) || g->ColMaxLength(0) == 0)
                    g->SetCell(0, R, next);
            }
        }
    } else if (key == Qt::Key_Down) {
        const bool filled = !TrimBlanks(g->Cell(0, R)).isEmpty() || !TrimBlanks(g->Cell(1, R)).isEmpty()
            || !TrimBlanks(g->Cell(2, R)).isEmpty();
        if (filled && R == g->RowCount() - 1)
            btnAddClick();
    }
    return true;
}

bool TfrmpaymentType::sgdPaymentTypeKeyPress(QChar& ch)
{
    EditableStringGrid* g = sgdPaymentType;
    if (g->Col() == 0) {
        const bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
        if (!digit && ch != QLatin1Char('\b') && ch != QLatin1Char('\r'))
            return false;
    }
    const int R = g->Row();
    if (ch == QLatin1Char('\r') && !TrimBlanks(g->Cell(0, R)).isEmpty() && g->Col() == 3) {
        if (R == g->RowCount() - 1) {
            btnAddClick();
            g->SetCol(0);
            return false;
        }
        if (CheckRow(R)) {
            g->SetRow(R + 1);
            g->SetCol(0);
            return false;
        }
        return true;
    }
    return true;
}

} // namespace pq
