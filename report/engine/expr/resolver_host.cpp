#include "report/engine/expr/resolver_host.h"

#include "base/message_box.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QInputDialog>

namespace pq {

bool NameResolverHost::OnGetValue(const QString&, Variant&) { return false; }
bool NameResolverHost::OnUserFunction(const QString&, const QStringList&, Variant&) { return false; }
bool NameResolverHost::DictionaryFieldValue(const QString&, Variant&) { return false; }
bool NameResolverHost::DictionaryVariable(const QString&, QString&) { return false; }
bool NameResolverHost::DataSetFieldValue(const QString&, const QString&, const QString&, Variant&) { return false; }
int NameResolverHost::PageNo() { return 1; }
int NameResolverHost::TotalPages() { return 0; }

double NameResolverHost::PrepareDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return static_cast<double>(QDate(1899, 12, 30).daysTo(now.date())) + now.time().msecsSinceStartOfDay() / 86400000.0;
}

int NameResolverHost::LineNo() { return 0; }
int NameResolverHost::LineThrough() { return 0; }
int NameResolverHost::ColumnNo() { return 1; }
int NameResolverHost::CurrentNo() { return 0; }

QString NameResolverHost::ApplicationPath()
{
    if (!QCoreApplication::instance())
        return QString();
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

bool NameResolverHost::CalcWidth(int&) { return false; }
TRMVariables* NameResolverHost::ReportVariables() { return nullptr; }
bool NameResolverHost::PagePosition(int&, int&, int&) { return false; }
bool NameResolverHost::FinalPass() { return true; }
bool NameResolverHost::GetObjectProperty(const QString&, const QString&, Variant&) { return false; }
bool NameResolverHost::SetObjectProperty(const QString&, const QString&, const Variant&) { return false; }
bool NameResolverHost::CallObjectMethod(const QString&, const QString&, const QList<Variant>&, Variant&) { return false; }
bool NameResolverHost::ObjectExists(const QString&) { return false; }
bool NameResolverHost::GetCurrentViewProperty(const QString&, Variant&) { return false; }
bool NameResolverHost::SetCurrentViewProperty(const QString&, const Variant&) { return false; }
bool NameResolverHost::CallCurrentViewMethod(const QString&, const QList<Variant>&, Variant&) { return false; }
bool NameResolverHost::GetControlProperty(const QString&, const QString&, Variant&) { return false; }
QString NameResolverHost::CurrentViewName() { return QString(); }
void NameResolverHost::SetCurrentViewHasValue(int) {}
bool NameResolverHost::CurrentViewHideZeros() { return false; }

void NameResolverHost::CurrentViewFormat(int& format, QString& formatStr)
{
    format = 0;
    formatStr.clear();
}

QString NameResolverHost::ReportName() { return QString(); }
bool NameResolverHost::PrintingBlankRows() { return false; }
bool NameResolverHost::CollectingAggregates() { return false; }
bool NameResolverHost::Aggregate(const AggregateCall&, const QString&, Variant&) { return false; }
void NameResolverHost::StopReport() {}
void NameResolverHost::NewPage() {}
void NameResolverHost::NewColumn() {}
void NameResolverHost::ShowBand(const QString&) {}

QString NameResolverHost::InputBox(const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, QString(), prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : defaultText;
}

int NameResolverHost::MessageBox(const QString& text, const QString& caption, int flags)
{
    int buttons = MsgOk;
    switch (flags & 0x0F) {
    case 1: buttons = MsgOk | MsgCancel; break;
    case 3: buttons = MsgYes | MsgNo | MsgCancel; break;
    case 4: buttons = MsgYes | MsgNo; break;
    default: break;
    }
    MsgIcon icon = MsgIcon::None;
    switch (flags & 0xF0) {
    case 16: icon = MsgIcon::Error; break;
    case 32: icon = MsgIcon::Question; break;
    case 48: icon = MsgIcon::Warning; break;
    case 64: icon = MsgIcon::Information; break;
    default: break;
    }
    switch (ShowMessageBox(nullptr, text, caption, icon, buttons)) {
    case MsgCancel: return 2;
    case MsgYes: return 6;
    case MsgNo: return 7;
    default: return 1;
    }
}

void NameResolverHost::ShowMessage(const QString& text)
{
    ShowMessageBox(nullptr, text, QCoreApplication::applicationName(), MsgIcon::None, MsgOk);
}

} // namespace pq
