#include "report/preview/search/rm_search_form.h"

#include "resources/rm_dialog_font.h"
#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace pq {

namespace {

template <class W>
W* Place(W* widget, int x, int y, int w, int h)
{
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

TRMPreviewSearchForm::TRMPreviewSearchForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RMPreviewSearchForm"));
    setFont(RMDialogFont());
    setWindowTitle(RMLoadStr(res::kFindCaption));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(262, 158);

    auto* label = Place(new QLabel(RMLoadStr(45001), this), 8, 8, 246, 16);
    m_text = Place(new QLineEdit(this), 8, 26, 246, 21);
    label->setBuddy(m_text);

    auto* options = Place(new QGroupBox(RMLoadStr(45002), this), 8, 56, 120, 62);
    m_case = Place(new QCheckBox(RMLoadStr(45003), options), 8, 16, 108, 20);
    m_whole = Place(new QCheckBox(RMLoadStr(45377), options), 8, 38, 108, 20);

    auto* origin = Place(new QGroupBox(RMLoadStr(45004), this), 134, 56, 120, 62);
    m_first = Place(new QRadioButton(RMLoadStr(45005), origin), 8, 16, 108, 20);
    m_current = Place(new QRadioButton(RMLoadStr(45006), origin), 8, 38, 108, 20);
    m_first->setChecked(true);

    m_ok = Place(new QPushButton(RMLoadStr(47000), this), 98, 127, 75, 23);
    m_cancel = Place(new QPushButton(RMLoadStr(47001), this), 179, 127, 75, 23);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRMPreviewSearchForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
}

} // namespace pq
