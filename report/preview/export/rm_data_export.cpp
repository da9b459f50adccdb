#include "report/preview/export/rm_data_export.h"

#include "base/file_io.h"
#include "base/message_box.h"
#include "base/private_folder.h"
#include "report/preview/surface/rm_preview.h"
#include "resources/rm_locale.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace pq {

namespace {

const char* const kCaption = "转换失败";

template <class W>
W* Place(W* widget, int x, int y, int w, int h)
{
    widget->setGeometry(x, y, w, h);
    return widget;
}

QFont Song(int pixels)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixels);
    return f;
}

} // namespace

QString RMGridExportFileName(QString* error)
{
    const std::optional<QString> folder = RMPrivateFolder(error);
    return folder ? *folder + QStringLiteral("/~superfile.tmp") : QString();
}

QString RMDataExportFailureText()
{
    return QStringList{QStringLiteral("错误原因1：目标文件属性不可以为只读。"),
        QStringLiteral("错误原因2：转换的源文件来原非数据集，"),
        QString(20, QLatin1Char(' ')) + QStringLiteral("请用普通的导出功能。"),
        QStringLiteral("错误原因3：源文件数据集记录数为空。"),
        QStringLiteral("错误原因3：目标路径输入格式非法。")}
        .join(QLatin1String("\r\n"));
}

TRM_SuperExp::TRM_SuperExp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RM_SuperExp"));
    setFont(Song(12));
    setWindowTitle(QStringLiteral("数据转换"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(398, 210);

    m_note = Place(new QPlainTextEdit(this), 16, 16, 369, 73);
    m_note->setFont(Song(14));
    m_note->setPlainText(QStringLiteral("按照原始数据来源，并不是按预览的效果转换为另外的格\n式。将排除横向换页等因素。"));
    m_note->setEnabled(false);

    auto* group = Place(new QGroupBox(QStringLiteral("转换为标准CSV格式"), this), 16, 104, 369, 57);
    auto* label = Place(new QLabel(QStringLiteral("导出路径"), group), 8, 24, 54, 16);
    m_path = Place(new QLineEdit(group), 64, 22, 275, 20);
    label->setBuddy(m_path);
    m_browse = Place(new QPushButton(QStringLiteral("..."), group), 342, 22, 22, 21);
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, [this] { Browse(); });

    m_ok = Place(new QPushButton(RMLoadStr(47000), this), 75, 179, 75, 23);
    m_cancel = Place(new QPushButton(RMLoadStr(47001), this), 235, 179, 75, 23);
    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRM_SuperExp::Browse()
{
    QFileDialog dialog(this, QString(), QString(), QStringLiteral("excel file(*.CSV)"));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("CSV"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const QString current = m_path->text().trimmed();
    if (!current.isEmpty())
        dialog.selectFile(current);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_path->setText(dialog.selectedFiles().first());
}

bool RMCopyGridData(const QString& target, QString* message)
{
    const auto fail = [message](const QString& text) {
        if (message)
            *message = text;
        return false;
    };
    if (target.isEmpty())
        return fail(QStringLiteral("目标路径非法。"));
    QString why;
    const QString source = RMGridExportFileName(&why);
    if (source.isEmpty())
        return fail(QStringLiteral("没有可转换的数据：%1").arg(why));
    // The data file comes only from a grid report built in this session of the user.
    if (!QFileInfo::exists(source))
        return fail(QStringLiteral("没有可转换的数据：数据文件“%1”不存在。\r\n请先预览或打印一个数据表格的报表。").arg(source));
    const std::optional<QByteArray> bytes = ReadFileWhole(source, &why);
    if (!bytes)
        return fail(QStringLiteral("无法读取数据文件“%1”：%2").arg(source, why));
    if (bytes->isEmpty())
        return fail(QStringLiteral("没有可转换的数据：数据文件“%1”是空的。").arg(source));
    if (!WriteFileWhole(target, *bytes, &why))
        return fail(RMDataExportFailureText());
    return true;
}

bool RMPreviewDataExport(TRMPreview& preview, QWidget* owner)
{
    if (!preview.Pages() || preview.PageCount() == 0 || preview.LoadedFromFile())
        return false;
    QString path;
    {
        TRM_SuperExp dialog(owner);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        path = dialog.PathBox()->text().trimmed();
    }
    QString message;
    if (RMCopyGridData(path, &message))
        return true;
    ShowMessageBox(owner, message, QString::fromUtf8(kCaption), MsgIcon::Error);
    return false;
}

} // namespace pq
