// What the data-aware grids share: the alignment of a column's text and the options that say
// what a grid shows (titles, the indicator column, lines) and how it is used.
#pragma once

#include <QFlags>

namespace pq {

enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

enum TDBGridOption : unsigned {
    dgEditing = 1u << 0,
    dgAlwaysShowEditor = 1u << 1,
    dgTitles = 1u << 2,
    dgIndicator = 1u << 3,
    dgColumnResize = 1u << 4,
    dgColLines = 1u << 5,
    dgRowLines = 1u << 6,
    dgTabs = 1u << 7,
    dgRowSelect = 1u << 8,
    dgAlwaysShowSelection = 1u << 9,
    dgConfirmDelete = 1u << 10,
    dgCancelOnExit = 1u << 11,
    dgMultiSelect = 1u << 12,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

inline constexpr TDBGridOptions kDefaultDBGridOptions = TDBGridOptions(dgTitles | dgIndicator | dgColumnResize
    | dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit);

} // namespace pq
