#include "grid/gridsummary.h"

#include "grid/cellformat.h"
#include "grid/gridmodel.h"
#include "wire/datatable.h"

#include <cmath>

namespace tarsel {

double SumColumn(const GridModel &model, int c, const int *rows, std::size_t count)
{
    const DataColumn *dc = model.boundColumn(c);
    double sum = 0.0, comp = 0.0;  // Neumaier summation
    auto add = [&](double x) {
        const double t = sum + x;
        if (std::fabs(sum) >= std::fabs(x))
            comp += (sum - t) + x;
        else
            comp += (x - t) + sum;
        sum = t;
    };
    if (dc) {
        for (std::size_t i = 0; i < count; ++i) add(dc->numberAt(std::size_t(rows[i])));
    } else {
        for (std::size_t i = 0; i < count; ++i) add(model.number(rows[i], c));
    }
    return sum + comp;
}

std::vector<SummaryCell> ComputeSummaries(const GridModel &model, const std::vector<GridSummary> &summaries,
                                          const int *rows, std::size_t count)
{
    std::vector<SummaryCell> out;
    out.reserve(summaries.size());
    for (const GridSummary &s : summaries) {
        SummaryCell cell;
        cell.kind = s.kind;
        cell.column = s.column.isEmpty() ? -1 : model.columnIndex(s.column);
        if (!s.column.isEmpty() && cell.column < 0) continue;  // not a column of this grid
        if (s.kind == GridSummary::Count) {
            cell.value = double(count);
            cell.text = QString::number(qulonglong(count));
        } else {
            const DataColumn *dc = model.boundColumn(cell.column);
            const bool computed = !dc && model.column(cell.column).value;
            if (!dc && !computed) {
                cell.integral = false;
                out.push_back(cell);  // missing column: empty sum
                continue;
            }
            cell.value = SumColumn(model, cell.column, rows, count);
            cell.integral = dc && (dc->type == FieldType::Int32 || dc->type == FieldType::Int64 ||
                                   dc->type == FieldType::Bool);
            cell.text = dc ? FormatColumnNumber(*dc, cell.value, model.locale())
                           : model.locale().toString(cell.value, 'f', 2);
        }
        out.push_back(cell);
    }
    return out;
}

std::vector<SummaryCell> ComputeSummaries(const GridModel &model, const std::vector<GridSummary> &summaries)
{
    const auto &rows = model.visibleRows();
    return ComputeSummaries(model, summaries, rows.data(), rows.size());
}

}  // namespace tarsel
