#include "grid/gridmodel.h"

#include "grid/cellformat.h"
#include "grid/textcollate.h"
#include "wire/datatable.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace tarsel {

// ---------------------------------------------------------------- GridRow

GridRow::GridRow(const GridModel *model, int sourceRow, int viewRow)
    : model_(model), sourceRow_(sourceRow), viewRow_(viewRow)
{
}

const DataTable *GridRow::table() const { return model_ ? model_->table() : nullptr; }

namespace {
const DataColumn *RowColumn(const DataTable *t, const QString &field, int row)
{
    if (!t || row < 0) return nullptr;
    const DataColumn *c = t->column(field);
    return c && std::size_t(row) < c->rowCount() ? c : nullptr;
}
}  // namespace

bool GridRow::isNull(const QString &field) const
{
    const DataColumn *c = RowColumn(table(), field, sourceRow_);
    return !c || c->isNull(std::size_t(sourceRow_));
}

QVariant GridRow::value(const QString &field) const
{
    const DataColumn *c = RowColumn(table(), field, sourceRow_);
    return c ? c->variantAt(std::size_t(sourceRow_)) : QVariant();
}

double GridRow::number(const QString &field) const
{
    const DataColumn *c = RowColumn(table(), field, sourceRow_);
    return c ? c->numberAt(std::size_t(sourceRow_)) : 0.0;
}

QString GridRow::text(const QString &field) const
{
    const DataColumn *c = RowColumn(table(), field, sourceRow_);
    return c ? c->stringAt(std::size_t(sourceRow_)) : QString();
}

QString GridRow::displayText(const QString &field) const
{
    if (!model_) return QString();
    const int gc = model_->columnIndex(field);
    if (gc >= 0 && model_->column(gc).field.compare(field, Qt::CaseInsensitive) == 0)
        return model_->displayText(sourceRow_, gc);
    const DataColumn *c = RowColumn(table(), field, sourceRow_);
    return c ? FormatCellText(*c, std::size_t(sourceRow_), model_->locale()) : QString();
}

// ---------------------------------------------------------------- GridModelBase

int GridModelBase::findRowStartingWith(int column, const QString &prefix, int from) const
{
    const GridModel *m = gridModel();
    if (!m || prefix.isEmpty() || column < 0 || column >= columnCount()) return -1;
    const QString needle = FoldForSearch(prefix);
    const int rows = rowCount();
    for (int r = std::max(from, 0); r < rows; ++r) {
        const int src = sourceRowAt(r);
        if (src < 0) continue;
        const QString text = m->displayText(src, column);
        if (text.size() < needle.size()) continue;
        if (FoldForSearch(QStringView(text).left(needle.size())) == needle) return r;
    }
    return -1;
}

// ---------------------------------------------------------------- GridModel

GridModel::GridModel(QObject *parent) : GridModelBase(parent) {}

GridModel::~GridModel() = default;

void GridModel::setColumns(std::vector<GridColumn> columns)
{
    beginResetModel();
    cols_ = std::move(columns);
    filters_.clear();
    sortColumn_ = -1;
    bindColumns();
    rebuildOrder();
    rebuildVisible();
    endResetModel();
    Q_EMIT filtersChanged();
    Q_EMIT sortChanged();
    Q_EMIT contentChanged();
}

int GridModel::columnIndex(const QString &key) const
{
    for (int i = 0; i < int(cols_.size()); ++i)
        if (cols_[std::size_t(i)].key().compare(key, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void GridModel::setColumnCaption(int c, const QString &caption)
{
    if (c < 0 || c >= int(cols_.size())) return;
    cols_[std::size_t(c)].caption = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, c, c);
}

void GridModel::setColumnInChooser(int c, bool offered)
{
    if (c < 0 || c >= int(cols_.size())) return;
    cols_[std::size_t(c)].inChooser = offered;
}

void GridModel::setTable(const DataTable *table)
{
    beginResetModel();
    table_ = table;
    shared_.reset();
    detached_ = false;
    bindColumns();
    rebuildOrder();
    rebuildVisible();
    endResetModel();
    Q_EMIT contentChanged();
}

void GridModel::setTable(std::shared_ptr<const DataTable> table)
{
    beginResetModel();
    shared_ = std::move(table);
    table_ = shared_.get();
    detached_ = false;
    bindColumns();
    rebuildOrder();
    rebuildVisible();
    endResetModel();
    Q_EMIT contentChanged();
}

void GridModel::beginReload()
{
    if (detached_) return;
    beginResetModel();
    detached_ = true;
    bindColumns();
    order_.clear();
    rows_.clear();
    rowOf_.clear();
    endResetModel();
    Q_EMIT contentChanged();
}

void GridModel::endReload()
{
    beginResetModel();
    detached_ = false;
    bindColumns();
    rebuildOrder();
    rebuildVisible();
    endResetModel();
    Q_EMIT contentChanged();
}

void GridModel::refresh()
{
    if (detached_) return;
    endReload();
}

void GridModel::notifyRowChanged(int sourceRow)
{
    const int r = rowOfSourceRow(sourceRow);
    if (r >= 0 && !cols_.empty()) Q_EMIT dataChanged(index(r, 0), index(r, int(cols_.size()) - 1));
    Q_EMIT contentChanged();
}

void GridModel::setLocale(const QLocale &locale)
{
    locale_ = locale;
    if (!rows_.empty() && !cols_.empty()) Q_EMIT dataChanged(index(0, 0), index(int(rows_.size()) - 1, int(cols_.size()) - 1));
    Q_EMIT contentChanged();
}

void GridModel::bindColumns()
{
    ++generation_;
    bind_.assign(cols_.size(), -1);
    keyDec_.assign(cols_.size(), -1);
    tableRows_ = 0;
    if (!table_ || detached_) return;
    if (!table_->columns.empty()) {
        // A table whose columns disagree on their length shows the rows all
        // of them have rather than reading past the end of one.
        tableRows_ = table_->columns.front().rowCount();
        bool ragged = false;
        for (const auto &c : table_->columns) {
            if (c.rowCount() != tableRows_) ragged = true;
            tableRows_ = std::min(tableRows_, c.rowCount());
        }
        if (ragged) qWarning("grid: table columns hold different row counts; showing %zu rows", tableRows_);
        if (tableRows_ > std::size_t(std::numeric_limits<int>::max() - 1))
            tableRows_ = std::size_t(std::numeric_limits<int>::max() - 1);
    }
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        if (cols_[i].field.isEmpty()) continue;
        bind_[i] = table_->indexOf(cols_[i].field);
        if (bind_[i] < 0) continue;
        const DataColumn &dc = table_->columns[std::size_t(bind_[i])];
        if ((dc.type == FieldType::Float64 || dc.type == FieldType::Currency) && !dc.displayFormat.isEmpty())
            keyDec_[i] = std::min(PatternDecimals(dc.displayFormat), 9);
    }
}

const DataColumn *GridModel::boundColumn(int c) const
{
    if (detached_ || !table_ || c < 0 || c >= int(bind_.size()) || bind_[std::size_t(c)] < 0) return nullptr;
    return &table_->columns[std::size_t(bind_[std::size_t(c)])];
}

bool GridModel::isNull(int sourceRow, int c) const
{
    if (sourceRow < 0 || std::size_t(sourceRow) >= tableRows_) return true;
    if (const DataColumn *dc = boundColumn(c)) return dc->isNull(std::size_t(sourceRow));
    if (c >= 0 && c < int(cols_.size()) && cols_[std::size_t(c)].value) {
        const QVariant v = value(sourceRow, c);
        return !v.isValid() || v.isNull();
    }
    return true;
}

QVariant GridModel::value(int sourceRow, int c) const
{
    if (sourceRow < 0 || std::size_t(sourceRow) >= tableRows_ || c < 0 || c >= int(cols_.size())) return {};
    if (const DataColumn *dc = boundColumn(c)) return dc->variantAt(std::size_t(sourceRow));
    const GridColumn &gc = cols_[std::size_t(c)];
    if (gc.field.isEmpty() && gc.value) return gc.value(GridRow(this, sourceRow, rowOfSourceRow(sourceRow)));
    return {};
}

double GridModel::number(int sourceRow, int c) const
{
    if (sourceRow < 0 || std::size_t(sourceRow) >= tableRows_) return 0.0;
    if (const DataColumn *dc = boundColumn(c)) return dc->numberAt(std::size_t(sourceRow));
    return value(sourceRow, c).toDouble();
}

QString GridModel::displayText(int sourceRow, int c) const
{
    if (sourceRow < 0 || std::size_t(sourceRow) >= tableRows_ || c < 0 || c >= int(cols_.size())) return {};
    const GridColumn &gc = cols_[std::size_t(c)];
    const DataColumn *dc = boundColumn(c);
    switch (gc.kind) {
    case CellKind::Icon: {
        if (isNull(sourceRow, c)) return {};
        const IconValue *iv = gc.icons.find(qint64(std::llround(number(sourceRow, c))));
        return iv ? iv->description : QString();
    }
    case CellKind::Button: return gc.buttonText;
    case CellKind::Picture: return {};
    default: break;
    }
    if (dc) return FormatCellText(*dc, std::size_t(sourceRow), locale_);
    if (gc.value) {
        const QVariant v = value(sourceRow, c);
        if (v.typeId() == QMetaType::Double) return locale_.toString(v.toDouble(), 'f', 2);
        return v.toString();
    }
    return {};
}

namespace {

Qt::Alignment DefaultAlignment(const DataColumn *dc)
{
    if (!dc) return Qt::AlignLeft;
    switch (dc->type) {
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Float64:
    case FieldType::Currency: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

}  // namespace

QVariant GridModel::cellData(int sourceRow, int viewRow, int c, int role) const
{
    if (c < 0 || c >= int(cols_.size())) return {};
    const GridColumn &gc = cols_[std::size_t(c)];
    switch (role) {
    case Qt::DisplayRole:
        if (gc.kind == CellKind::Text || gc.kind == CellKind::Custom) return displayText(sourceRow, c);
        return {};
    case Qt::EditRole: return value(sourceRow, c);
    case DescriptionRole: return displayText(sourceRow, c);
    case Qt::ToolTipRole:
        if (gc.kind == CellKind::Icon) {
            const QString d = displayText(sourceRow, c);
            return d.isEmpty() ? QVariant() : QVariant(d);
        }
        return {};
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = (gc.alignment & Qt::AlignHorizontal_Mask) ? (gc.alignment & Qt::AlignHorizontal_Mask)
                                                                          : DefaultAlignment(boundColumn(c));
        return QVariant::fromValue(int(h | Qt::AlignVCenter));
    }
    case IconNameRole: {
        if (gc.kind != CellKind::Icon || isNull(sourceRow, c)) return {};
        const IconValue *iv = gc.icons.find(qint64(std::llround(number(sourceRow, c))));
        return iv ? QVariant(iv->icon) : QVariant();
    }
    case Qt::CheckStateRole:
        if (gc.kind != CellKind::CheckBox) return {};
        return QVariant::fromValue(int(number(sourceRow, c) != 0.0 ? Qt::Checked : Qt::Unchecked));
    case ProgressRole:
        if (gc.kind != CellKind::ProgressBar) return {};
        return QVariant::fromValue(std::clamp(int(std::lround(number(sourceRow, c))), 0, 100));
    case SourceRowRole: return sourceRow;
    case RowKindRole: return int(RowKind::Data);
    case ViewRowRole: return viewRow;
    default: return {};
    }
}

FilterKeyRef GridModel::filterKey(int sourceRow, int c, std::string &scratch) const
{
    FilterKeyRef k;
    if (sourceRow < 0 || std::size_t(sourceRow) >= tableRows_ || c < 0 || c >= int(cols_.size())) return k;
    const DataColumn *dc = boundColumn(c);
    if (!dc) {
        const GridColumn &gc = cols_[std::size_t(c)];
        if (!gc.value) return k;
        const QVariant v = value(sourceRow, c);
        if (!v.isValid() || v.isNull()) return k;
        const QByteArray u = displayText(sourceRow, c).toUtf8();
        if (u.isEmpty()) return k;
        scratch.assign(u.constData(), std::size_t(u.size()));
        k.kind = FilterKey::Text;
        k.s = scratch;
        return k;
    }
    const std::size_t r = std::size_t(sourceRow);
    if (dc->isNull(r)) return k;
    switch (dc->type) {
    case FieldType::String:
    case FieldType::Blob: {
        const auto b = dc->bytesAt(r);
        if (b.empty()) return k;  // empty text and null are one "(Boş)" entry
        k.kind = FilterKey::Text;
        k.s = b;
        return k;
    }
    case FieldType::Int32: k.kind = FilterKey::Int; k.i = dc->int32At(r); return k;
    case FieldType::Int64: k.kind = FilterKey::Int; k.i = dc->int64At(r); return k;
    case FieldType::Bool: k.kind = FilterKey::Int; k.i = dc->boolAt(r) ? 1 : 0; return k;
    case FieldType::Float64:
    case FieldType::Currency: {
        const double v = dc->doubleAt(r);
        const int dec = keyDec_[std::size_t(c)];
        if (dec >= 0 && std::isfinite(v) && std::fabs(v) < 1e15) {
            static const double kPow[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
            k.kind = FilterKey::Int;
            k.i = std::llround(v * kPow[dec]);
            return k;
        }
        k.kind = FilterKey::Real;
        k.d = v == 0 ? 0.0 : v;
        return k;
    }
    case FieldType::DateTime: {
        k.kind = FilterKey::Int;
        k.i = std::llround(dc->doubleAt(r) * 86400.0);  // to the second, as shown
        return k;
    }
    }
    return k;
}

int GridModel::compareRows(int a, int b, int c) const
{
    const DataColumn *dc = boundColumn(c);
    if (!dc) {
        if (c < 0 || c >= int(cols_.size()) || !cols_[std::size_t(c)].value) return 0;
        const QVariant va = value(a, c), vb = value(b, c);
        const bool na = !va.isValid() || va.isNull(), nb = !vb.isValid() || vb.isNull();
        if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
        if (va.typeId() == QMetaType::QString || vb.typeId() == QMetaType::QString)
            return CompareText(va.toString(), vb.toString());
        const auto ord = QVariant::compare(va, vb);
        if (ord == QPartialOrdering::Less) return -1;
        if (ord == QPartialOrdering::Greater) return 1;
        return 0;
    }
    const std::size_t ra = std::size_t(a), rb = std::size_t(b);
    if (dc->hasNulls()) {
        const bool na = dc->isNull(ra), nb = dc->isNull(rb);
        if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
    }
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (dc->type) {
    case FieldType::String:
    case FieldType::Blob: return CompareText(dc->bytesAt(ra), dc->bytesAt(rb));
    case FieldType::Int32: return cmp(dc->int32At(ra), dc->int32At(rb));
    case FieldType::Int64: return cmp(dc->int64At(ra), dc->int64At(rb));
    case FieldType::Bool: return cmp(int(dc->boolAt(ra)), int(dc->boolAt(rb)));
    case FieldType::Float64:
    case FieldType::Currency:
    case FieldType::DateTime: return cmp(dc->doubleAt(ra), dc->doubleAt(rb));
    }
    return 0;
}

void GridModel::rebuildOrder()
{
    order_.clear();
    if (!sortingAllowed_ || sortColumn_ < 0 || sortColumn_ >= int(cols_.size()) || tableRows_ == 0) return;
    order_.resize(tableRows_);
    std::iota(order_.begin(), order_.end(), 0);
    const int c = sortColumn_;
    const bool desc = sortOrder_ == Qt::DescendingOrder;
    const DataColumn *dc = boundColumn(c);

    // Typed fast paths for the common kinds; ties keep the table order.
    auto run = [&](auto less) {
        if (desc)
            std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return less(b, a); });
        else
            std::stable_sort(order_.begin(), order_.end(), less);
    };
    if (dc && !dc->hasNulls()) {
        switch (dc->type) {
        case FieldType::Int32: run([dc](int a, int b) { return dc->int32At(std::size_t(a)) < dc->int32At(std::size_t(b)); }); return;
        case FieldType::Int64: run([dc](int a, int b) { return dc->int64At(std::size_t(a)) < dc->int64At(std::size_t(b)); }); return;
        case FieldType::Float64:
        case FieldType::Currency:
        case FieldType::DateTime:
            run([dc](int a, int b) { return dc->doubleAt(std::size_t(a)) < dc->doubleAt(std::size_t(b)); });
            return;
        case FieldType::String:
        case FieldType::Blob:
            run([dc](int a, int b) { return CompareText(dc->bytesAt(std::size_t(a)), dc->bytesAt(std::size_t(b))) < 0; });
            return;
        default: break;
        }
    }
    if (!dc) {
        if (!cols_[std::size_t(c)].value) {
            order_.clear();
            return;
        }
        // Computed column: evaluate once per row, then sort on the values.
        std::vector<QVariant> vals(tableRows_);
        for (std::size_t r = 0; r < tableRows_; ++r) vals[r] = value(int(r), c);
        auto less = [&](int a, int b) {
            const QVariant &va = vals[std::size_t(a)], &vb = vals[std::size_t(b)];
            const bool na = !va.isValid() || va.isNull(), nb = !vb.isValid() || vb.isNull();
            if (na || nb) return na && !nb;
            if (va.typeId() == QMetaType::QString || vb.typeId() == QMetaType::QString)
                return CompareText(va.toString(), vb.toString()) < 0;
            return QVariant::compare(va, vb) == QPartialOrdering::Less;
        };
        run(less);
        return;
    }
    run([this, c](int a, int b) { return compareRows(a, b, c) < 0; });
}

bool GridModel::passes(int sourceRow, int skipColumn, std::string &scratch) const
{
    for (const Filter &f : filters_) {
        if (f.column == skipColumn) continue;
        if (!f.accepted.contains(filterKey(sourceRow, f.column, scratch))) return false;
    }
    return true;
}

void GridModel::rebuildVisible()
{
    rows_.clear();
    if (!order_.empty()) {
        if (filters_.empty()) {
            rows_ = order_;
        } else {
            std::string scratch;
            rows_.reserve(order_.size());
            for (int r : order_)
                if (passes(r, -1, scratch)) rows_.push_back(r);
        }
    } else if (filters_.empty()) {
        rows_.resize(tableRows_);
        std::iota(rows_.begin(), rows_.end(), 0);
    } else {
        std::string scratch;
        for (int r = 0; r < int(tableRows_); ++r)
            if (passes(r, -1, scratch)) rows_.push_back(r);
    }
    rebuildIndex();
}

void GridModel::rebuildIndex()
{
    rowOf_.assign(tableRows_, -1);
    for (int i = 0; i < int(rows_.size()); ++i) rowOf_[std::size_t(rows_[std::size_t(i)])] = i;
}

int GridModel::sourceRowAt(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[std::size_t(row)] : -1;
}

int GridModel::rowOfSourceRow(int sourceRow) const
{
    return sourceRow >= 0 && sourceRow < int(rowOf_.size()) ? rowOf_[std::size_t(sourceRow)] : -1;
}

void GridModel::setSortingAllowed(bool allowed)
{
    if (allowed == sortingAllowed_) return;
    sortingAllowed_ = allowed;
    if (!allowed && sortColumn_ >= 0) clearSort();
}

void GridModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= int(cols_.size())) {
        clearSort();
        return;
    }
    if (!sortingAllowed_ || !cols_[std::size_t(column)].sortable) return;
    if (column == sortColumn_ && order == sortOrder_) return;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(std::size_t(before.size()));
    for (const QModelIndex &i : before) sources.push_back(sourceRowAt(i.row()));

    sortColumn_ = column;
    sortOrder_ = order;
    rebuildOrder();
    rebuildVisible();

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int r = rowOfSourceRow(sources[std::size_t(i)]);
        after.append(r < 0 ? QModelIndex() : index(r, before[i].column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT sortChanged();
    Q_EMIT contentChanged();
}

void GridModel::clearSort()
{
    if (sortColumn_ < 0) return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    for (const QModelIndex &i : before) sources.push_back(sourceRowAt(i.row()));
    sortColumn_ = -1;
    rebuildOrder();
    rebuildVisible();
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int r = rowOfSourceRow(sources[std::size_t(i)]);
        after.append(r < 0 ? QModelIndex() : index(r, before[i].column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT sortChanged();
    Q_EMIT contentChanged();
}

std::vector<FilterValue> GridModel::filterValues(int c) const
{
    std::vector<FilterValue> out;
    if (c < 0 || c >= int(cols_.size()) || detached_) return out;
    const Filter *current = nullptr;
    for (const Filter &f : filters_)
        if (f.column == c) current = &f;

    std::unordered_map<FilterKey, int, FilterKeyHash, FilterKeyEq> seen;
    std::string scratch, keyScratch;
    for (int r = 0; r < int(tableRows_); ++r) {
        if (!passes(r, c, scratch)) continue;
        const FilterKeyRef ref = filterKey(r, c, keyScratch);
        const auto it = seen.find(ref);
        if (it != seen.end()) {
            ++out[std::size_t(it->second)].count;
            continue;
        }
        FilterValue v;
        v.key = FilterKey(ref);
        v.count = 1;
        v.sampleRow = r;
        seen.emplace(v.key, int(out.size()));
        out.push_back(std::move(v));
    }
    for (FilterValue &v : out) {
        v.text = v.key.kind == FilterKey::Null ? BlankFilterText() : displayText(v.sampleRow, c);
        if (v.text.isEmpty()) v.text = BlankFilterText();
        v.accepted = !current || current->accepted.contains(v.key);
    }
    std::sort(out.begin(), out.end(), [&](const FilterValue &a, const FilterValue &b) {
        const bool na = a.key.kind == FilterKey::Null, nb = b.key.kind == FilterKey::Null;
        if (na || nb) return na && !nb;
        const int cmp = compareRows(a.sampleRow, b.sampleRow, c);
        if (cmp != 0) return cmp < 0;
        return CompareText(a.text, b.text) < 0;
    });
    return out;
}

void GridModel::setColumnFilter(int c, FilterKeySet accepted)
{
    if (c < 0 || c >= int(cols_.size())) return;
    beginResetModel();
    auto it = std::find_if(filters_.begin(), filters_.end(), [c](const Filter &f) { return f.column == c; });
    if (it != filters_.end())
        it->accepted = std::move(accepted);
    else
        filters_.push_back({c, std::move(accepted)});
    rebuildVisible();
    endResetModel();
    Q_EMIT filtersChanged();
    Q_EMIT contentChanged();
}

void GridModel::setColumnFilterTexts(int c, const QStringList &texts)
{
    FilterKeySet accepted;
    for (const FilterValue &v : filterValues(c))
        if (texts.contains(v.text)) accepted.insert(v.key);
    setColumnFilter(c, std::move(accepted));
}

void GridModel::clearColumnFilter(int c)
{
    auto it = std::find_if(filters_.begin(), filters_.end(), [c](const Filter &f) { return f.column == c; });
    if (it == filters_.end()) return;
    beginResetModel();
    filters_.erase(it);
    rebuildVisible();
    endResetModel();
    Q_EMIT filtersChanged();
    Q_EMIT contentChanged();
}

void GridModel::clearFilters()
{
    if (filters_.empty()) return;
    beginResetModel();
    filters_.clear();
    rebuildVisible();
    endResetModel();
    Q_EMIT filtersChanged();
    Q_EMIT contentChanged();
}

bool GridModel::hasFilter(int c) const
{
    return std::any_of(filters_.begin(), filters_.end(), [c](const Filter &f) { return f.column == c; });
}

std::vector<int> GridModel::filteredColumns() const
{
    std::vector<int> out;
    for (const Filter &f : filters_) out.push_back(f.column);
    std::sort(out.begin(), out.end());
    return out;
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(cols_.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= int(rows_.size())) return {};
    return cellData(rows_[std::size_t(index.row())], index.row(), index.column(), role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(cols_.size())) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return cols_[std::size_t(section)].headerText();
    case Qt::TextAlignmentRole: return QVariant::fromValue(int(Qt::AlignCenter));
    default: return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace tarsel
