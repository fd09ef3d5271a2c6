#pragma once
// Export of a grid to an Excel (.xlsx) file.

#include <QString>
#include <QtGlobal>

#include <functional>

class QAbstractItemModel;

namespace tarsel {

// The name an export writes for the name chosen in the save dialog: the
// extension of the file name replaced by ".xlsx", or ".xlsx" added when it
// has none ("rapor.txt" -> "rapor.xlsx", "rapor" -> "rapor.xlsx",
// "/a.b/rapor" -> "/a.b/rapor.xlsx"). Empty for an empty name.
QString ExcelExportFileName(const QString &chosen);

// Writes every row of `model` to the .xlsx file `fileName` (used as given):
// the horizontal header texts in the first row, then all rows depth-first (a
// child row right after its parent, so grouped grids come out expanded), for
// the columns the model has. Cell values come from Qt::EditRole, else
// Qt::DisplayRole: integers and floating-point numbers stay numbers
// (floating-point ones with the format "#,##0.00"; integers of more than 15
// digits, which a spreadsheet cannot hold exactly, are written as text), bools
// as booleans, QDate/QDateTime as dates, everything else as text.
//
// The file is written under a temporary name in the same folder and renamed
// over `fileName` only when complete, so a failed export leaves an existing
// file untouched. `progress` (optional) is called with (rows done, rows total)
// at the start, about every 1000 rows and at the end; an exception thrown by
// it cancels the export the same way.
//
// Must run on the thread that owns the model. Throws std::runtime_error with
// a message naming the file when the file cannot be written.
void ExportGridToExcel(const QString &fileName, const QAbstractItemModel *model,
                       const std::function<void(qint64 done, qint64 total)> &progress = {});

// Number format of floating-point cells in the export.
inline constexpr const char *kExcelNumberFormat = "#,##0.00";
inline constexpr const char *kExcelDateFormat = "dd.mm.yyyy";
inline constexpr const char *kExcelDateTimeFormat = "dd.mm.yyyy hh:mm:ss";

}  // namespace tarsel
