#include "widgets/db_grid.h"

#include "base/client_dataset.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

namespace pq {

namespace {

Qt::Alignment QtAlignment(TAlignment a)
{
    switch (a) {
    case taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

// The data set's rows and the grid's columns as a table model; it only reads.
class TDBGridModel : public QAbstractTableModel {
public:
    explicit TDBGridModel(TDBGrid* grid)
        : QAbstractTableModel(grid)
        , m_grid(grid)
    {
    }

    void Reset()
    {
        beginResetModel();
        m_fields.clear();
        const ClientDataSet* ds = m_grid->DataSet();
        for (int i = 0; i < m_grid->ColumnCount(); ++i)
            m_fields << (ds && ds->Active() ? ds->FieldIndex(m_grid->Column(i).FieldName) : -1);
        endResetModel();
    }

    int Field(int column) const { return m_fields.value(column, -1); }

    int rowCount(const QModelIndex& parent) const override
    {
        const ClientDataSet* ds = m_grid->DataSet();
        return parent.isValid() || !ds || !ds->Active() ? 0 : ds->RecordCount();
    }

    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.column() >= m_grid->ColumnCount())
            return {};
        const TColumn& c = m_grid->Column(index.column());
        switch (role) {
        case Qt::DisplayRole: {
            const ClientDataSet* ds = m_grid->DataSet();
            return ds ? ds->TextAt(index.row(), Field(index.column())) : QString();
        }
        case Qt::FontRole: return c.Font;
        case Qt::ForegroundRole: return c.FontColor;
        case Qt::BackgroundRole: return c.Color.isValid() ? QVariant(c.Color) : QVariant();
        case Qt::TextAlignmentRole: return QVariant::fromValue(QtAlignment(c.Alignment));
        default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Vertical)
            return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
        if (section < 0 || section >= m_grid->ColumnCount())
            return {};
        const TColumnTitle& t = m_grid->Column(section).Title;
        switch (role) {
        case Qt::DisplayRole: return t.Caption;
        case Qt::FontRole: return t.Font;
        case Qt::ForegroundRole: return t.FontColor;
        case Qt::BackgroundRole: return t.Color.isValid() ? QVariant(t.Color) : QVariant();
        case Qt::TextAlignmentRole: return QVariant::fromValue(QtAlignment(t.Alignment));
        default: return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    TDBGrid* m_grid;
    QList<int> m_fields;
};

TDBGrid::TDBGrid(QWidget* parent)
    : QTableView(parent)
    , m_titleFont(font())
    , m_model(new TDBGridModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(12);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { CurrentMoved(current); });
    // A column dragged wider on screen prints that wide.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section >= 0 && section < ColumnCount() && Column(section).Visible && size > 0)
            Column(section).Width = size - 1;
    });
    ApplyLayout();
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::SetDataSource(TDataSource* source)
{
    for (const auto& link : m_sourceLinks)
        disconnect(link);
    m_sourceLinks.clear();
    m_dataSource = source;
    if (source) {
        m_sourceLinks << connect(source, &TDataSource::DataChanged, this, &TDBGrid::DataChanged)
                      << connect(source, &TDataSource::RecordMoved, this, &TDBGrid::RecordMoved)
                      << connect(source, &QObject::destroyed, this, &TDBGrid::DataChanged);
    }
    DataChanged();
}

ClientDataSet* TDBGrid::DataSet() const
{
    return m_dataSource ? m_dataSource->ActiveDataSet() : nullptr;
}

TColumn& TDBGrid::AddColumn(const QString& fieldName, const QString& caption, int width)
{
    auto c = std::make_unique<TColumn>();
    c->FieldName = fieldName;
    c->Width = width;
    c->Font = font();
    c->Title.Caption = caption.isEmpty() ? fieldName : caption;
    c->Title.Font = m_titleFont;
    m_columns.push_back(std::move(c));
    ColumnsChanged();
    return *m_columns.back();
}

void TDBGrid::ClearColumns()
{
    m_columns.clear();
    ColumnsChanged();
}

void TDBGrid::ColumnsChanged()
{
    DataChanged();
}

void TDBGrid::SetOptions(TDBGridOptions options)
{
    m_options = options;
    ApplyLayout();
}

void TDBGrid::SetTitleFont(const QFont& font)
{
    m_titleFont = font;
    for (auto& c : m_columns)
        c->Title.Font = font;
    ColumnsChanged();
}

int TDBGrid::DefaultRowHeight() const
{
    return m_defaultRowHeight > 0 ? m_defaultRowHeight : QFontMetrics(font()).height() + 4;
}

void TDBGrid::SetDefaultRowHeight(int h)
{
    m_defaultRowHeight = std::max(0, h);
    ApplyLayout();
}

int TDBGrid::TitleRowHeight() const
{
    return m_titleRowHeight > 0 ? m_titleRowHeight : QFontMetrics(m_titleFont).height() + 4;
}

void TDBGrid::SetTitleRowHeight(int h)
{
    m_titleRowHeight = std::max(0, h);
    ApplyLayout();
}

QList<int> TDBGrid::SelectedRows() const
{
    QList<int> rows;
    if (!(m_options & dgMultiSelect))
        return rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool TDBGrid::CurrentRowSelected() const
{
    const ClientDataSet* ds = DataSet();
    return ds && (m_options & dgMultiSelect) && selectionModel()->isRowSelected(ds->RecNo(), QModelIndex());
}

QString TDBGrid::CellText(int record, int column) const
{
    const ClientDataSet* ds = DataSet();
    return ds && column >= 0 && column < ColumnCount() ? ds->TextAt(record, m_model->Field(column)) : QString();
}

void TDBGrid::DataChanged()
{
    m_model->Reset();
    ApplyLayout();
    RecordMoved();
}

void TDBGrid::RecordMoved()
{
    const ClientDataSet* ds = DataSet();
    if (!ds || ds->RecordCount() == 0)
        return;
    const int column = std::max(0, currentIndex().column());
    m_following = true;
    selectionModel()->setCurrentIndex(m_model->index(ds->RecNo(), column),
        m_options & dgMultiSelect ? QItemSelectionModel::NoUpdate
                                  : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_following = false;
    scrollTo(currentIndex());
}

void TDBGrid::CurrentMoved(const QModelIndex& current)
{
    ClientDataSet* ds = DataSet();
    if (m_following || !ds || !current.isValid() || current.row() == ds->RecNo())
        return;
    ds->MoveTo(current.row());
}

void TDBGrid::ApplyLayout()
{
    setSelectionMode(m_options & dgMultiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    setShowGrid(m_options & (dgColLines | dgRowLines));
    horizontalHeader()->setVisible(m_options & dgTitles);
    horizontalHeader()->setFixedHeight(TitleRowHeight() + 1);
    verticalHeader()->setVisible(m_options & dgIndicator);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight() + 1);
    for (int i = 0; i < ColumnCount(); ++i) {
        setColumnHidden(i, !Column(i).Visible);
        if (Column(i).Visible)
            setColumnWidth(i, Column(i).Width + 1);
    }
}

} // namespace pq
