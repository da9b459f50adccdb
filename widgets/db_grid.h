// TDBGrid: the standard data-aware grid. It shows the records of a client data set through a
// data source, one row per record, in columns bound to fields, with one title row. It follows
// the data set's cursor and moves it; with dgMultiSelect rows can be selected. A QTableView
// over a model of the data set: columns keep what a form says about them (width, visibility,
// fonts, colours, alignment, title), and the view shows it.
#pragma once

#include "base/data_source.h"
#include "widgets/db_grid_options.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointer>
#include <QTableView>

#include <memory>
#include <vector>

namespace pq {

struct TColumnTitle {
    QString Caption;
    QFont Font;
    QColor FontColor = Qt::black;
    TAlignment Alignment = taLeftJustify;
    QColor Color; // invalid: the grid's fixed colour
};

struct TColumn {
    QString FieldName;
    int Width = 64; // pixels, the grid line after it not included
    bool Visible = true;
    QFont Font;
    QColor FontColor = Qt::black;
    QColor Color; // cell fill; invalid: the grid's colour
    TAlignment Alignment = taLeftJustify;
    TColumnTitle Title;
};

class TDBGridModel;

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource* source);
    // The data source's data set when it has one, else nullptr.
    ClientDataSet* DataSet() const;

    // Columns in order; new ones take the grid's font and title font. After changing a
    // column's fields call ColumnsChanged().
    TColumn& AddColumn(const QString& fieldName = {}, const QString& caption = {}, int width = 64);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    TColumn& Column(int i) { return *m_columns.at(static_cast<size_t>(i)); }
    const TColumn& Column(int i) const { return *m_columns.at(static_cast<size_t>(i)); }
    void ClearColumns();
    void ColumnsChanged();

    TDBGridOptions Options() const { return m_options; }
    void SetOptions(TDBGridOptions options);
    QFont TitleFont() const { return m_titleFont; }
    void SetTitleFont(const QFont& font);

    // Data rows are DefaultRowHeight high (the grid line below not included); 0 sets it from
    // the font again.
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int h);
    // The title row (row 0): a line of the title font, unless set.
    int TitleRowHeight() const;
    void SetTitleRowHeight(int h);

    // The selected records (0-based, in order) and whether the data set's current record is
    // one of them.
    QList<int> SelectedRows() const;
    bool CurrentRowSelected() const;
    // What a data cell shows for a record.
    QString CellText(int record, int column) const;

private:
    friend class TDBGridModel;
    void DataChanged();
    void RecordMoved();
    void ApplyLayout();
    void CurrentMoved(const QModelIndex& current);

    QPointer<TDataSource> m_dataSource;
    std::vector<std::unique_ptr<TColumn>> m_columns;
    TDBGridOptions m_options = kDefaultDBGridOptions;
    QFont m_titleFont;
    int m_defaultRowHeight = 0;
    int m_titleRowHeight = 0;
    TDBGridModel* m_model = nullptr;
    bool m_following = false; // moving the view to the data set's record
    QList<QMetaObject::Connection> m_sourceLinks;
};

} // namespace pq
