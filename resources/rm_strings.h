// The report library's own string table: captions, hints, band type names, paper names,
// display formats, messages and the dialog font, each under its resource number.
#pragma once

#include <QString>

namespace pq {

// Resource numbers that code names rather than spells out.
namespace res {
inline constexpr int kFindCaption = 45000;
inline constexpr int kPaperNamesFirst = 47008;   // 67 standard paper names, 47008..47074
inline constexpr int kPaperNamesLast = 47074;
inline constexpr int kBandNamesFirst = 47077;    // 23 band type names, 47077..47099
inline constexpr int kBandNamesLast = 47099;
inline constexpr int kBooleanFormatsFirst = 47169; // 4 boolean formats
inline constexpr int kDateFormatsFirst = 47174;    // 7 date formats
inline constexpr int kTimeFormatsFirst = 47181;    // 4 time formats
inline constexpr int kEvalError = 47200;           // "计算时发生错误"
inline constexpr int kEvalErrorReport = 47201;     // "报表:"
inline constexpr int kEvalErrorObject = 47202;     // "对象:"
inline constexpr int kErrorCaption = 47206;        // "错误"
inline constexpr int kDefaultCharset = 47337;      // "134"
inline constexpr int kFunctionDescriptionsFirst = 47350; // expression builder catalogue, in order
inline constexpr int kFunctionDescriptionsLast = 47425;
inline constexpr int kDialogFontName = 47444;      // "宋体"
inline constexpr int kDialogFontSize = 47445;      // "9"
inline constexpr int kExtraPaperNamesFirst = 47490; // 5 extra paper names
} // namespace res

// The text the library itself carries under a number; empty for numbers it does not know
// (some, such as the add-in view descriptions, are empty on purpose: hosts supply them).
QString BuiltinString(int id);

// Whether the table has an entry under the number (an empty entry counts).
bool HasBuiltinString(int id);

} // namespace pq
