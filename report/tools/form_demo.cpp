#include "report/tools/form_demo.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "base/result_packet.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_report.h"
#include "report/tools/csv_grid_report.h"
#include "widgets/db_grid.h"
#include "widgets/string_grid.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <map>
#include <stdexcept>

namespace pq {

namespace {

const char* const kPaymentTypes[] = {"现金", "支票", "银联卡", "微信支付", "支付宝", "汇票"};

template <class W>
W* Place(W* w, QWidget* form, const char* name, int x, int y, int width, int height)
{
    w->setParent(form);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, y, width, height);
    return w;
}

QString Money(double v)
{
    return QLocale::c().toString(v, 'f', 2);
}

} // namespace

TRMFormDemo::TRMFormDemo(int receipts)
{
    m_form.setObjectName(QStringLiteral("frmReceipts"));
    m_form.resize(680, 620);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    m_form.setFont(font);

    auto* title = Place(new QLabel(QStringLiteral("收款登记表")), &m_form, "lblTitle", 0, 8, 680, 32);
    QFont big(QStringLiteral("黑体"));
    big.setPixelSize(24);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    Place(new QLabel(QStringLiteral("核算单位：")), &m_form, "lblUnit", 10, 52, 70, 22);
    Place(new QLineEdit(QStringLiteral("集团总部")), &m_form, "edtUnit", 80, 50, 180, 24);
    Place(new QLabel(QStringLiteral("经办人：")), &m_form, "lblOper", 290, 52, 60, 22);
    Place(new QLineEdit(QStringLiteral("张三")), &m_form, "edtOper", 350, 50, 120, 24);
    auto* checked = Place(new QCheckBox(QStringLiteral("已审核")), &m_form, "chkChecked", 500, 52, 90, 22);
    checked->setChecked(true);

    // The receipts, typed: numbers print as numbers with the field's display format.
    auto packet = std::make_shared<ResultPacket>();
    packet->fields = {PacketField(QStringLiteral("f_no"), Variant::Type::String, 8),
        PacketField(QStringLiteral("f_type"), Variant::Type::String, 20),
        PacketField(QStringLiteral("f_amount"), Variant::Type::Float),
        PacketField(QStringLiteral("f_memo"), Variant::Type::String, 40)};
    std::map<int, std::pair<int, double>> sums; // payment type: count, amount
    for (int i = 0; i < receipts; ++i) {
        const int type = (i * 7 + i / 3) % 6;
        const double amount = 50.0 + (i * 137 % 1000) + (i % 4) * 0.25;
        packet->rows.append({Variant(QStringLiteral("SK%1").arg(i + 1, 5, 10, QLatin1Char('0'))),
            Variant(QString::fromUtf8(kPaymentTypes[type])), Variant::FromFloat(amount),
            Variant(i % 5 == 0 ? QStringLiteral("预收款") : QString())});
        sums[type].first += 1;
        sums[type].second += amount;
    }
    m_data = std::make_unique<ClientDataSet>();
    m_data->LoadPacket(Variant::FromPacket(packet));
    m_data->SetDisplayFormat(2, QStringLiteral("#,##0.00"));
    m_data->SetOwnerAndName(&m_form, QStringLiteral("cdsReceipts"));
    m_data->First();
    m_source = new TDataSource(&m_form, m_data.get());

    m_receipts = Place(new TDBGrid, &m_form, "dbgReceipts", 10, 90, 660, 330);
    m_receipts->SetDefaultRowHeight(18);
    m_receipts->SetTitleRowHeight(20);
    QFont titleFont = font;
    titleFont.setBold(true);
    m_receipts->SetTitleFont(titleFont);
    m_receipts->SetDataSource(m_source);
    m_receipts->AddColumn(QStringLiteral("f_no"), QStringLiteral("单号"), 90).Title.Alignment = taCenter;
    m_receipts->AddColumn(QStringLiteral("f_type"), QStringLiteral("支付方式"), 120).Title.Alignment = taCenter;
    TColumn& amount = m_receipts->AddColumn(QStringLiteral("f_amount"), QStringLiteral("金额"), 110);
    amount.Alignment = taRightJustify;
    amount.Title.Alignment = taCenter;
    m_receipts->AddColumn(QStringLiteral("f_memo"), QStringLiteral("备注"), 200).Title.Alignment = taCenter;
    m_receipts->ColumnsChanged();

    m_summary = Place(new TStringGrid, &m_form, "sgSummary", 10, 440, 420, 150);
    m_summary->SetColCount(3);
    m_summary->SetRowCount(static_cast<int>(sums.size()) + 1);
    m_summary->SetFixedRows(1);
    const int widths[] = {140, 80, 140};
    const QStringList titles{QStringLiteral("支付方式"), QStringLiteral("笔数"), QStringLiteral("金额合计")};
    for (int c = 0; c < 3; ++c) {
        m_summary->SetColWidth(c, widths[c]);
        m_summary->SetCells(c, 0, titles[c]);
    }
    int row = 1;
    for (const auto& [type, sum] : sums) {
        m_summary->SetCells(0, row, QString::fromUtf8(kPaymentTypes[type]));
        m_summary->SetCells(1, row, QString::number(sum.first));
        m_summary->SetCells(2, row, Money(sum.second));
        m_summary->SetRowHeight(row, 20);
        ++row;
    }

    m_report = new TRMFormReport(&m_form);
}

TRMFormDemo::~TRMFormDemo()
{
    delete m_report;
}

QStringList TRMFormDemo::ControlNames() const
{
    QStringList names;
    for (const QWidget* w : m_form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->objectName().isEmpty())
            names << w->objectName();
    return names;
}

TRMReport& TRMFormDemo::Prepare(const QString& controlName)
{
    QWidget* control = &m_form;
    if (!controlName.isEmpty()) {
        control = m_form.findChild<QWidget*>(controlName, Qt::FindDirectChildrenOnly);
        if (!control)
            throw std::runtime_error(QStringLiteral("the form has no control %1 (controls: %2)")
                    .arg(controlName, ControlNames().join(QLatin1String(", "))).toStdString());
    }
    TRMFormReport& r = *m_report;
    r.PrintControl = control;
    r.ShowProgress = false;
    r.ShowPrintDialog = false;
    r.ReportTitle = QStringLiteral("收款登记表");
    r.ReportOptions = TRMGridReportOptions{rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame, rmgoGridNumber};
    r.GridNumOptions().Text = QStringLiteral("序号");
    r.GridNumOptions().SetNumber(3);
    // The form's title, edits and titles again on every page of a long list, the controls
    // below the grid after its last row, the page number at the foot of each page.
    r.PageHeaderOnly1 = true;
    r.PageLayout().DoublePass = true;
    RMSetPageNumberFooter(r);
    return RMBuildAndPrepare(r);
}

} // namespace pq
