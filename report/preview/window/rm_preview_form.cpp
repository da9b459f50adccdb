#include "report/preview/window/rm_preview_form.h"

#include "report/preview/pagesetup/rm_page_setup_command.h"
#include "report/preview/export/rm_data_export.h"
#include "report/preview/export/rm_export_commands.h"
#include "report/preview/print/rm_print_commands.h"
#include "report/preview/search/rm_preview_search.h"

#include "base/file_io.h"
#include "base/guard.h"
#include "base/message_box.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_pdf_export.h"
#include "report/engine/rm_report.h"
#include "report/preview/printer/printer.h"
#include "report/preview/window/rm_preview_glyphs.h"
#include "resources/rm_locale.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace pq {

namespace {

QString& SettingsFile()
{
    static QString file;
    return file;
}

const char* const kZoomItems[] = {"200%", "150%", "100%", "75%", "50%", "25%", "10%"};
const int kZoomPercents[] = {200, 150, 100, 75, 50, 25, 10};

QString ReportFileFilter() { return RMLoadStr(47211) + QStringLiteral(" (*.rmp)"); }

} // namespace

TRMPreviewMemory& RMPreviewMemory()
{
    static TRMPreviewMemory memory;
    return memory;
}

void TRMPreviewForm::SetSettingsFile(const QString& iniFile) { SettingsFile() = iniFile; }

TRMPreviewForm::TRMPreviewForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("RMPreviewForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(577, 322);
    QFont font(RMLoadStr(47444));
    font.setPointSize(RMLocale().LoadInt(47445, 9));
    setFont(font);
    m_preview = new TRMPreview(this);
    setCentralWidget(m_preview);
    m_preview->OnStatusChange = [this] { StatusChanged(); };
    m_preview->OnPageChanged = [this] { PageChanged(); };
    BuildToolBar();
    BuildMenu();
    m_preview->DrawPanel()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_preview->DrawPanel(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // The zoom the box shows is ticked; printing is offered exactly when the button is.
        // The menu's zooms are the box's first ten items, in the same order.
        const int index = m_zoomBox->currentIndex();
        (index >= 0 && index < m_menuZooms.size() ? m_menuZooms[index] : m_menuZooms[2])->setChecked(true);
        m_menuPrint->setEnabled(PrintEnabled());
        m_menuPrintCurrent->setEnabled(PrintEnabled());
        m_menu->popup(m_preview->DrawPanel()->mapToGlobal(pos));
    });
    qApp->installEventFilter(this);
}

TRMPreviewForm::~TRMPreviewForm()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

TRMReport* TRMPreviewForm::Report() const { return m_report.data(); }

QAction* TRMPreviewForm::Item(const QString& name) const
{
    for (QAction* a : m_toolBar->actions())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

void TRMPreviewForm::BuildToolBar()
{
    m_toolBar = new QToolBar(RMLoadStr(45011), this);
    m_toolBar->setObjectName(QStringLiteral("ToolbarPreviewStand"));
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_toolBar->setFloatable(true);
    m_toolBar->setMovable(true);
    m_toolBar->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    m_zoomBox = new QComboBox(m_toolBar);
    m_zoomBox->setObjectName(QStringLiteral("cmbZoom"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setFixedWidth(90);
    m_zoomBox->setToolTip(RMLoadStr(45007));
    for (const char* item : kZoomItems)
        m_zoomBox->addItem(QString::fromLatin1(item));
    for (int id : {46857, 46858, 46859, 46870})
        m_zoomBox->addItem(RMLoadStr(id));
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    connect(m_zoomBox, &QComboBox::activated, this, Guarded(this, [this](int index) { ZoomBoxChosen(index); }));
    connect(m_zoomBox->lineEdit(), &QLineEdit::returnPressed, this, Guarded(this, [this] { ZoomBoxEntered(); }));
    m_zoomBoxAction = m_toolBar->addWidget(m_zoomBox);
    m_zoomBoxAction->setObjectName(QStringLiteral("cmbZoomAction"));
    m_zoomSeparator = m_toolBar->addSeparator();

    auto add = [this](const char* name, int glyph, const QString& hint, auto handler, bool checkable = false) {
        QAction* a = m_toolBar->addAction(RMPreviewGlyph(glyph), hint);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, Guarded(this, handler));
        return a;
    };
    QAction* magnifier = add("btnMagnifier", 0, RMLoadStr(45008), [this](bool down) {
        m_preview->SetMagnifier(down);
        RMPreviewMemory().LastMagnifier = down;
    }, true);
    Q_UNUSED(magnifier);
    m_zoomGroup = new QActionGroup(this);
    m_zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    m_zoomGroup->addAction(add("btnWholePage", 1, RMLoadStr(46858), [this](bool) {
        m_preview->ZoomWholePage();
        RememberZoom();
    }, true));
    m_zoomGroup->addAction(add("btn100", 2, QStringLiteral("100%"), [this](bool) {
        m_preview->ZoomPercent(100);
        RememberZoom();
    }, true));
    m_zoomGroup->addAction(add("btnPageWidth", 3, RMLoadStr(46857), [this](bool) {
        m_preview->ZoomPageWidth();
        RememberZoom();
    }, true));
    m_toolBar->addSeparator();
    add("btnFirst", 4, RMLoadStr(45032), [this](bool) { m_preview->First(); });
    add("btnPrior", 5, RMLoadStr(45033), [this](bool) { m_preview->Prior(); });
    m_pageBox = new QLineEdit(m_toolBar);
    m_pageBox->setObjectName(QStringLiteral("edtPageNo"));
    m_pageBox->setFixedWidth(40);
    connect(m_pageBox, &QLineEdit::returnPressed, this, Guarded(this, [this] { PageBoxEntered(); }));
    m_toolBar->addWidget(m_pageBox);
    add("btnNext", 6, RMLoadStr(45034), [this](bool) { m_preview->Next(); });
    add("btnLast", 7, RMLoadStr(45035), [this](bool) { m_preview->Last(); });
    m_findSeparator = m_toolBar->addSeparator();
    add("btnFind", 8, RMLoadStr(45028), [this](bool) { Find(); });
    m_fileSeparator = m_toolBar->addSeparator();
    add("btnOpen", 9, RMLoadStr(45025), [this](bool) {
        QFileDialog dialog(this, QString(), m_preview->property("InitialDir").toString(), ReportFileFilter());
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setOption(QFileDialog::ReadOnly, true);
        if (dialog.exec() == QDialog::Accepted)
            OpenFiles(dialog.selectedFiles());
    });
    add("btnSave", 10, RMLoadStr(45026), [this](bool) { SaveWithDialog(); });
    add("btnExportPdf", 17, QStringLiteral("导出为PDF文件 Ctrl+Shift+E"), [this](bool) {
        const QString file = QFileDialog::getSaveFileName(this, QString(),
            m_preview->property("InitialDir").toString(), QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty())
            return;
        QString error;
        if (!ExportPdf(file, &error))
            ShowErrorBox(this, error);
    });
    add("btnSuperExp", 16, QStringLiteral("超级数据格式转换"), [this](bool) { DataExport(); });
    add("btnSaveToXLS", 15, RMLoadStr(45009), [this](bool) { SaveToSpreadsheet(); });
    add("btnPrint", 11, RMLoadStr(45027), [this](bool) {
        if (PrintEnabled())
            PrintWithDialog();
    });
    add("btnPageSetup", 12, RMLoadStr(45024), [this](bool) { PageSetup(); });
    m_exitSeparator = m_toolBar->addSeparator();
    add("btnDesign", 13, RMLoadStr(45010), [](bool) {}); // no designer in this system
    m_designSeparator = m_toolBar->addSeparator();
    add("btnExit", 14, RMLoadStr(45023), [this](bool) { Exit(); });
}

void TRMPreviewForm::BuildMenu()
{
    m_menu = new QMenu(this);
    m_menuZoomGroup = new QActionGroup(this);
    auto zoomItem = [this](const QString& caption, auto action) {
        QAction* a = m_menu->addAction(caption);
        a->setCheckable(true);
        m_menuZoomGroup->addAction(a);
        m_menuZooms << a;
        connect(a, &QAction::triggered, this, Guarded(this, [this, action] {
            action();
            RememberZoom();
            StatusChanged();
        }));
    };
    for (int k = 0; k < 7; ++k) {
        const int percent = kZoomPercents[k];
        zoomItem(QString::fromLatin1(kZoomItems[k]), [this, percent] { m_preview->ZoomPercent(percent); });
    }
    zoomItem(RMLoadStr(45020), [this] { m_preview->ZoomPageWidth(); });
    zoomItem(RMLoadStr(45021), [this] { m_preview->ZoomWholePage(); });
    zoomItem(RMLoadStr(45022), [this] { m_preview->ZoomTwoPages(); });
    m_menuZooms[2]->setChecked(true);
    m_menu->addSeparator();
    m_menuPrint = m_menu->addAction(RMLoadStr(46866));
    connect(m_menuPrint, &QAction::triggered, this, Guarded(this, [this] { PrintWithDialog(); }));
    m_menuPrintCurrent = m_menu->addAction(RMLoadStr(45376));
    connect(m_menuPrintCurrent, &QAction::triggered, this,
        Guarded(this, [this] { PrintCurrentPage(); }));
    QAction* pdf = m_menu->addAction(QStringLiteral("导出为PDF文件..."));
    connect(pdf, &QAction::triggered, this, [this] { Item(QStringLiteral("btnExportPdf"))->trigger(); });
}

void TRMPreviewForm::SaveWithDialog()
{
    // The prepared-report format first, then every registered export filter.
    QFileDialog dialog(this, QString(), m_preview->property("InitialDir").toString());
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilters(QStringList{ReportFileFilter()} + RMExportDialogFilters());
    dialog.selectNameFilter(ReportFileFilter());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().first();
    const TRMExportFilterEntry entry = RMExportFilterFor(dialog.selectedNameFilter());
    if (entry.Filter)
        RMPreviewExport(*m_preview, entry, file, this, true);
    else
        SaveTo(file);
}

void TRMPreviewForm::SaveToSpreadsheet() { RMPreviewSaveToSpreadsheet(*m_preview, this); }

void TRMPreviewForm::DataExport() { RMPreviewDataExport(*m_preview, this); }

void TRMPreviewForm::Find() { RMPreviewFind(*m_preview, this); }

void TRMPreviewForm::FindNext() { RMPreviewFindAgain(*m_preview, this); }

void TRMPreviewForm::PrintWithDialog() { RMPreviewPrintWithDialog(*m_preview, this); }

void TRMPreviewForm::PrintCurrentPage() { RMPreviewPrintCurrentPage(*m_preview, this); }

void TRMPreviewForm::PageSetup()
{
    if (RMPreviewPageSetup(*m_preview, this))
        StatusChanged();
}

bool TRMPreviewForm::PrintEnabled() const { return Item(QStringLiteral("btnPrint"))->isEnabled(); }

void TRMPreviewForm::ApplyButtons(int buttons)
{
    const auto show = [this](const char* name, bool on) {
        if (QAction* a = Item(QString::fromLatin1(name)))
            a->setVisible(on);
    };
    if (!(buttons & pbZoom)) {
        m_zoomBoxAction->setVisible(false);
        // The separator after the zoom box goes with it.
        m_toolBar->removeAction(m_zoomSeparator);
        delete m_zoomSeparator;
        m_zoomSeparator = nullptr;
    }
    show("btnFind", buttons & pbFind);
    m_findSeparator->setVisible(buttons & pbFind);
    m_fileSeparator->setVisible(buttons & (pbLoad | pbSave | pbPrint | pbPageSetup | pbSaveToXLS));
    show("btnOpen", buttons & pbLoad);
    show("btnSave", buttons & pbSave);
    show("btnSuperExp", buttons & pbSuperExp);
    show("btnSaveToXLS", buttons & pbSaveToXLS);
    show("btnPrint", buttons & pbPrint);
    show("btnPageSetup", buttons & pbPageSetup);
    m_exitSeparator->setVisible(buttons & pbExit);
    show("btnDesign", buttons & pbDesign);
    m_designSeparator->setVisible(buttons & pbDesign);
    show("btnExit", buttons & pbExit);
}

void TRMPreviewForm::ShowFor(TRMReport* report)
{
    m_report = report;
    if (report)
        m_preview->setProperty("InitialDir", report->PreviewInitialDir);
    m_preview->OpenReport(report);
    ApplyButtons(report ? report->PreviewButtons : kAllPreviewButtons);
    TRMPreviewMemory& memory = RMPreviewMemory();
    const int initial = report ? report->InitialZoom : pzDefault;
    if (initial == pzPageWidth) {
        Item(QStringLiteral("btnPageWidth"))->setChecked(true);
    } else if (initial == pzOnePage) {
        Item(QStringLiteral("btnWholePage"))->setChecked(true);
    } else {
        // Any other initial zoom opens as the last preview was left.
        m_preview->SetChosenScale(memory.LastChosenScale);
        m_preview->SetZoomMode(memory.LastZoomMode);
        m_preview->Refresh(false);
    }
    m_preview->SetMagnifier(memory.LastMagnifier);
    Item(QStringLiteral("btnMagnifier"))->setChecked(memory.LastMagnifier);
    Item(QStringLiteral("btnPrint"))->setEnabled(GetPrinterList().Count() > 2);
    StatusChanged();
    PageChanged();
    UpdateCaption();
    m_modal = report && report->ModalPreview && !report->MDIPreview;
    if (!m_modal) {
        show();
        return;
    }
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    show();
    loop.exec();
}

void TRMPreviewForm::UpdateCaption(const QString& fileName)
{
    QString name;
    if (!fileName.isEmpty())
        name = QFileInfo(fileName).fileName();
    else if (m_report && !m_report->ReportInfo.Title.isEmpty())
        name = m_report->ReportInfo.Title;
    else if (m_report && !m_report->FileName.isEmpty())
        name = QFileInfo(m_report->FileName).fileName();
    else
        name = RMLoadStr(47209);
    setWindowTitle(RMLoadStr(47207) + QStringLiteral(" - ") + name);
}

void TRMPreviewForm::RememberZoom()
{
    // The chosen scale is what percent mode shows; fit modes keep the last one chosen.
    TRMPreviewMemory& memory = RMPreviewMemory();
    if (m_preview->ZoomMode() == TRMZoomMode::Percent)
        memory.LastChosenScale = m_preview->Scale();
    memory.LastZoomMode = m_preview->ZoomMode();
}

void TRMPreviewForm::StatusChanged()
{
    const TRMZoomMode mode = m_preview->ZoomMode();
    const int percent = static_cast<int>(std::lround(m_preview->GetZoomPercent()));
    QAction* width = Item(QStringLiteral("btnPageWidth"));
    QAction* whole = Item(QStringLiteral("btnWholePage"));
    QAction* full = Item(QStringLiteral("btn100"));
    if (mode == TRMZoomMode::PageWidth) {
        width->setChecked(true);
    } else if (mode == TRMZoomMode::WholePage) {
        whole->setChecked(true);
    } else if (percent == 100) {
        full->setChecked(true);
    } else {
        for (QAction* a : {width, whole, full})
            a->setChecked(false);
    }
    m_settingZoomBox = true;
    int index = -1;
    if (width->isChecked())
        index = 7;
    else if (whole->isChecked())
        index = 8;
    else if (full->isChecked())
        index = 2;
    else if (mode == TRMZoomMode::PrinterResolution)
        index = 10;
    else if (mode == TRMZoomMode::TwoPages)
        index = 9;
    else
        index = m_zoomBox->findText(QString::number(percent) + QLatin1Char('%'));
    m_zoomBox->setCurrentIndex(index);
    if (index < 0)
        m_zoomBox->setEditText(QString::number(percent) + QLatin1Char('%'));
    m_settingZoomBox = false;
}

void TRMPreviewForm::PageChanged() { m_pageBox->setText(QString::number(m_preview->CurrentPage())); }

void TRMPreviewForm::ZoomBoxChosen(int index)
{
    if (m_settingZoomBox)
        return;
    if (index >= 0 && index <= 6)
        m_preview->ZoomPercent(kZoomPercents[index]);
    else if (index == 7)
        m_preview->ZoomPageWidth();
    else if (index == 8)
        m_preview->ZoomWholePage();
    else if (index == 9)
        m_preview->ZoomTwoPages();
    else if (index == 10)
        m_preview->ZoomPrinterResolution();
}

void TRMPreviewForm::ZoomBoxEntered()
{
    QString text = m_zoomBox->currentText().trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    bool ok = false;
    const int percent = text.toInt(&ok);
    m_preview->ZoomPercent(ok ? percent : 100);
}

void TRMPreviewForm::PageBoxEntered()
{
    bool ok = false;
    const int page = m_pageBox->text().trimmed().toInt(&ok);
    if (ok)
        m_preview->GotoPage(page);
    PageChanged();
}

void TRMPreviewForm::OpenFiles(const QStringList& files)
{
    if (files.isEmpty())
        return;
    QString error;
    if (!m_preview->LoadFromFiles(files, &error) && !error.isEmpty())
        ShowErrorBox(this, error);
    UpdateCaption(files.first());
    PageChanged();
}

bool TRMPreviewForm::SaveTo(const QString& file)
{
    QString error;
    return m_preview->SaveToFile(file, &error);
}

bool TRMPreviewForm::ExportPdf(const QString& file, QString* error)
{
    TRMEMFPages* pages = m_preview->Pages();
    if (!pages) {
        if (error)
            *error = QStringLiteral("没有可导出的页面。");
        return false;
    }
    TRMPdfExportOptions options;
    options.Creator = QStringLiteral("Pagequill");
    QString reason;
    const bool written = WriteFileWhole(
        file, [&](QIODevice& device, QString& why) { return RMExportPdf(*pages, device, options, &why); }, &reason);
    // The preview draws the visible pages again from here on.
    m_preview->Refresh(false);
    if (!written && error)
        *error = QStringLiteral("无法写入文件“%1”：%2").arg(file, reason);
    return written;
}

void TRMPreviewForm::Exit() { close(); }

bool TRMPreviewForm::HandleKey(int key, Qt::KeyboardModifiers mods)
{
    if (!m_preview->Report())
        return false;
    QScrollBar* v = m_preview->VScrollBar();
    QScrollBar* h = m_preview->HScrollBar();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const auto trigger = [this](const char* name) { Item(QString::fromLatin1(name))->trigger(); };
    if ((key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Up || key == Qt::Key_Down) && v->isEnabled())
        v->setFocus();
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && h->isEnabled())
        h->setFocus();
    switch (key) {
    case Qt::Key_Up: v->setValue(v->value() - 10); return true;
    case Qt::Key_Down: v->setValue(v->value() + 10); return true;
    case Qt::Key_Left: h->setValue(h->value() - 10); return true;
    case Qt::Key_Right: h->setValue(h->value() + 10); return true;
    case Qt::Key_PageUp:
        if (ctrl)
            trigger("btnPrior");
        else
            v->setValue(v->value() - 200);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            trigger("btnNext");
        else
            v->setValue(v->value() + 200);
        return true;
    case Qt::Key_Home:
        if (!ctrl)
            return false;
        v->setValue(0);
        return true;
    case Qt::Key_End:
        if (!ctrl)
            return false;
        trigger("btnLast");
        return true;
    case Qt::Key_Escape: trigger("btnExit"); return true;
    case Qt::Key_F3:
        FindNext();
        return true;
    default: break;
    }
    if (!ctrl)
        return false;
    switch (key) {
    case Qt::Key_O: trigger("btnOpen"); break;
    case Qt::Key_S: trigger("btnSave"); break;
    case Qt::Key_P:
        if (PrintEnabled())
            alt ? PrintCurrentPage() : PrintWithDialog();
        break;
    case Qt::Key_F: trigger("btnFind"); break;
    case Qt::Key_E:
        if (mods & Qt::ShiftModifier)
            trigger("btnExportPdf");
        break;
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
        return false; // the modifier itself
    default: break; // any other Ctrl combination is taken, doing nothing
    }
    return true;
}

bool TRMPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isVisible()) {
        auto* w = static_cast<QWidget*>(watched);
        // The zoom and page boxes keep their own typing and Enter.
        const bool typing = w == m_pageBox || w == m_zoomBox || m_zoomBox->isAncestorOf(w);
        QWidget* focus = w->window()->focusWidget();
        const bool first = w == focus || (!focus && w == this);
        if (w->window() == this && first) {
            auto* k = static_cast<QKeyEvent*>(event);
            const bool boxKey = typing && !(k->modifiers() & Qt::ControlModifier) && k->key() != Qt::Key_Escape
                && k->key() != Qt::Key_PageUp && k->key() != Qt::Key_PageDown;
            if (!boxKey) {
                bool handled = false;
                RunGuarded(this, [&] { handled = HandleKey(k->key(), k->modifiers()); });
                if (handled)
                    return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

std::unique_ptr<QSettings> TRMPreviewForm::Settings() const
{
    if (!SettingsFile().isEmpty())
        return std::make_unique<QSettings>(SettingsFile(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Orvane Soft"), QStringLiteral("Pagequill"));
}

void TRMPreviewForm::SavePlacement()
{
    std::unique_ptr<QSettings> s = Settings();
    s->beginGroup(QStringLiteral("Form/TRMPreviewForm"));
    const QRect g = isMaximized() ? normalGeometry() : geometry();
    s->setValue(QStringLiteral("XPosition"), g.x());
    s->setValue(QStringLiteral("YPosition"), g.y());
    s->setValue(QStringLiteral("Width"), g.width());
    s->setValue(QStringLiteral("Height"), g.height());
    s->setValue(QStringLiteral("Maximized"), isMaximized());
    s->endGroup();
    s->beginGroup(QStringLiteral("ToolBar/") + m_toolBar->objectName());
    const bool floating = m_toolBar->isFloating();
    const Qt::ToolBarArea area = toolBarArea(m_toolBar);
    s->setValue(QStringLiteral("isVisible"), m_toolBar->isVisible());
    s->setValue(QStringLiteral("XPosition"), floating ? m_toolBar->x() : m_toolBar->pos().x());
    s->setValue(QStringLiteral("YPosition"), floating ? m_toolBar->y() : 0);
    s->setValue(QStringLiteral("Width"), m_toolBar->width());
    s->setValue(QStringLiteral("Height"), m_toolBar->height());
    s->setValue(QStringLiteral("DockName"),
        floating ? QString() : (area == Qt::BottomToolBarArea ? QStringLiteral("Dock972") : QStringLiteral("Dock971")));
    s->setValue(QStringLiteral("Docked"), !floating);
    s->endGroup();
    s->sync();
}

void TRMPreviewForm::RestorePlacement()
{
    std::unique_ptr<QSettings> s = Settings();
    s->beginGroup(QStringLiteral("Form/TRMPreviewForm"));
    const QRect g = geometry();
    const QRect bounds(s->value(QStringLiteral("XPosition"), g.x()).toInt(), s->value(QStringLiteral("YPosition"), g.y()).toInt(),
        s->value(QStringLiteral("Width"), g.width()).toInt(), s->value(QStringLiteral("Height"), g.height()).toInt());
    const bool maximized = s->value(QStringLiteral("Maximized"), true).toBool();
    s->endGroup();
    setGeometry(bounds);
    if (maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        setWindowState(windowState() & ~Qt::WindowMaximized);

    s->beginGroup(QStringLiteral("ToolBar/") + m_toolBar->objectName());
    const bool visible = s->value(QStringLiteral("isVisible"), true).toBool();
    const bool docked = s->value(QStringLiteral("Docked"), true).toBool();
    const QString dock = s->value(QStringLiteral("DockName"), QStringLiteral("Dock971")).toString();
    const QPoint at(s->value(QStringLiteral("XPosition"), m_toolBar->x()).toInt(),
        s->value(QStringLiteral("YPosition"), m_toolBar->y()).toInt());
    s->endGroup();
    m_toolBar->hide();
    if (docked && (dock == QLatin1String("Dock971") || dock == QLatin1String("Dock972"))) {
        addToolBar(dock == QLatin1String("Dock972") ? Qt::BottomToolBarArea : Qt::TopToolBarArea, m_toolBar);
    } else {
        m_toolBar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        m_toolBar->move(at);
    }
    m_toolBar->setVisible(visible);
}

void TRMPreviewForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !property("placed").toBool()) {
        setProperty("placed", true);
        RestorePlacement();
        m_toolBar->show();
    }
}

void TRMPreviewForm::closeEvent(QCloseEvent* event)
{
    SavePlacement();
    // The pages go back to the report, which outlives its preview.
    m_preview->Disconnect();
    QMainWindow::closeEvent(event);
}

} // namespace pq
