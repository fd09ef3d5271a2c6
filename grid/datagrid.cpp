#include "grid/datagrid.h"

#include "grid/griddelegate.h"
#include "grid/gridchooser.h"
#include "grid/gridexportmodel.h"
#include "grid/gridfilterpopup.h"
#include "grid/gridgrouping.h"
#include "grid/gridheader.h"
#include "grid/gridmodel.h"
#include "util/columnweights.h"
#include "util/excelexport.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace tarsel {

DataGrid::DataGrid(QWidget *parent) : QWidget(parent)
{
    model_ = new GridModel(this);

    view_ = new QTableView(this);
    header_ = new GridHeaderView(view_);
    header_->setTheme(&theme_);
    header_->setGridModel(model_);
    view_->setHorizontalHeader(header_);
    indicator_ = new GridRowIndicator(view_);
    indicator_->setTheme(&theme_);
    view_->setVerticalHeader(indicator_);
    indicator_->setDefaultSectionSize(options_.rowHeight);
    indicator_->setSectionResizeMode(QHeaderView::Fixed);
    indicator_->setVisible(options_.rowIndicator);

    delegate_ = new GridDelegate(view_);
    delegate_->setTheme(&theme_);
    delegate_->setOptions(&options_);
    view_->setItemDelegate(delegate_);

    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setShowGrid(false);
    view_->setWordWrap(false);
    view_->setCornerButtonEnabled(false);
    view_->setSortingEnabled(false);
    view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->setFocusPolicy(Qt::StrongFocus);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    header_->setFixedHeight(options_.headerHeight);
    header_->setContextMenuPolicy(Qt::CustomContextMenu);
    setFocusProxy(view_);

    footer_ = new GridFooterBar(view_, this);
    footer_->setTheme(&theme_);
    footer_->setFixedHeight(options_.footerHeight);
    footer_->setAlignmentOf([this](int c) {
        if (c < 0 || c >= model_->columnCount()) return Qt::Alignment(Qt::AlignLeft);
        const GridColumn &gc = model_->column(c);
        if (gc.alignment & Qt::AlignHorizontal_Mask) return gc.alignment & Qt::AlignHorizontal_Mask;
        return Qt::Alignment(Qt::AlignRight);  // sums and counts read best right-aligned
    });
    footer_->hide();

    filterBar_ = new QWidget(this);
    auto *fl = new QHBoxLayout(filterBar_);
    fl->setContentsMargins(6, 2, 6, 2);
    filterLabel_ = new QLabel(filterBar_);
    filterLabel_->setTextFormat(Qt::PlainText);
    clearFilterButton_ = new QToolButton(filterBar_);
    clearFilterButton_->setText(QStringLiteral("Filtreyi Temizle"));
    clearFilterButton_->setAutoRaise(true);
    fl->addWidget(filterLabel_, 1);
    fl->addWidget(clearFilterButton_);
    filterBar_->hide();
    connect(clearFilterButton_, &QToolButton::clicked, this, &DataGrid::clearFilters);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(view_, 1);
    lay->addWidget(footer_);
    lay->addWidget(filterBar_);

    overlay_ = new GridBusyOverlay(this);

    // Footer boxes follow the columns.
    auto repaintFooter = [this] { footer_->update(); };
    connect(header_, &QHeaderView::sectionResized, this, [this, repaintFooter](int c, int, int size) {
        if (c >= 0 && c < int(widths_.size()) && size > 0) widths_[std::size_t(c)] = size;
        repaintFooter();
    });
    connect(header_, &QHeaderView::sectionMoved, this, repaintFooter);
    connect(header_, &QHeaderView::geometriesChanged, this, repaintFooter);
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaintFooter);

    connect(header_, &GridHeaderView::sortClicked, this, &DataGrid::onSortClicked);
    connect(header_, &GridHeaderView::filterButtonClicked, this, &DataGrid::openFilterPopupAt);
    connect(header_, &QWidget::customContextMenuRequested, this, &DataGrid::showHeaderMenu);

    connect(model_, &GridModel::contentChanged, this, [this] {
        delegate_->clearPictureCache();
        updateFooter();
    });
    connect(model_, &GridModel::filtersChanged, this, [this] {
        updateFilterBar();
        header_->viewport()->update();
    });
    connect(model_, &GridModel::sortChanged, this,
            [this] { header_->setSortState(model_->sortColumn(), model_->sortOrder()); });

    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex idx = view_->indexAt(pos);
        if (idx.isValid()) view_->setCurrentIndex(idx);
        const int src = idx.isValid() ? viewModel()->sourceRowAt(idx.row()) : -1;
        const QPoint global = view_->viewport()->mapToGlobal(pos);
        Q_EMIT contextMenuRequested(src, global);
        if (contextMenu_) contextMenu_->popup(global);
    });
    connect(delegate_, &GridDelegate::checkBoxClicked, this, [this](const QModelIndex &idx) {
        const int src = viewModel()->sourceRowAt(idx.row());
        if (src >= 0) Q_EMIT checkBoxClicked(src, model_->column(idx.column()).key());
    });
    connect(delegate_, &GridDelegate::buttonClicked, this, [this](const QModelIndex &idx) {
        const int src = viewModel()->sourceRowAt(idx.row());
        if (src >= 0) Q_EMIT buttonClicked(src, model_->column(idx.column()).key());
    });
    connect(delegate_, &GridDelegate::expanderClicked, this, [this](const QModelIndex &idx) {
        if (!groupModel_) return;
        const int g = groupModel_->groupAt(idx.row());
        groupModel_->setGroupExpanded(g, !groupModel_->isGroupExpanded(g));
    });

    attachViewModel();
    setOptions(options_);
}

DataGrid::~DataGrid()
{
    if (popup_) popup_->close();
    if (chooser_) chooser_->close();
    // Children emit signals while they are torn down; nothing of this grid
    // may answer them then.
    disconnect(model_, nullptr, this, nullptr);
    if (groupModel_) disconnect(groupModel_, nullptr, this, nullptr);
    for (const auto &c : viewModelConnections_) disconnect(c);
    view_->removeEventFilter(this);
    view_->viewport()->removeEventFilter(this);
    delete view_;  // with its header, row indicator and delegate, while this object is whole
    view_ = nullptr;
}

GridModelBase *DataGrid::viewModel() const
{
    return groupModel_ ? static_cast<GridModelBase *>(groupModel_) : static_cast<GridModelBase *>(model_);
}

// ------------------------------------------------------------ set-up

void DataGrid::setOptions(const GridOptions &options)
{
    options_ = options;
    indicator_->setDefaultSectionSize(options_.rowHeight);
    indicator_->setMinimumSectionSize(std::min(options_.rowHeight, 8));
    indicator_->setVisible(options_.rowIndicator);
    header_->setFixedHeight(options_.headerHeight);
    header_->setFilterButtonsEnabled(options_.headerFilters);
    header_->setFilterButtonsAlwaysShown(options_.filterButtonsAlways);
    footer_->setFixedHeight(options_.footerHeight);
    footer_->setVisible(options_.showFooter || !footerSummaries_.empty());
    model_->setSortingAllowed(options_.sorting);
    if (!options_.sorting) header_->setSortState(-1, Qt::AscendingOrder);
    if (options_.fontPixelSize > 0) {
        QFont f = font();
        f.setPixelSize(options_.fontPixelSize);
        setFont(f);
    }
    if (!options_.incrementalSearch) clearSearch();
    view_->viewport()->update();
}

void DataGrid::setTheme(const GridTheme &theme)
{
    theme_ = theme;
    view_->viewport()->update();
    header_->viewport()->update();
    footer_->update();
}

void DataGrid::setColumns(std::vector<GridColumn> columns)
{
    if (popup_) popup_->close();
    visible_.clear();
    widths_.clear();
    for (const GridColumn &c : columns) {
        visible_.push_back(c.visible ? 1 : 0);
        widths_.push_back(c.width > 0 ? c.width : std::max(40, 60 * std::max(c.weight, 1)));
    }
    model_->setColumns(std::move(columns));
    applyColumnState();
    updateFooter();
    updateChooser();
}

void DataGrid::setFooterSummaries(std::vector<GridSummary> summaries)
{
    footerSummaries_ = std::move(summaries);
    footer_->setVisible(options_.showFooter || !footerSummaries_.empty());
    updateFooter();
}

void DataGrid::setGrouping(const QString &columnKey, std::vector<GridSummary> groupSummaries)
{
    const int c = model_->columnIndex(columnKey);
    if (c < 0) {
        clearGrouping();
        return;
    }
    rememberFocus();
    if (!groupModel_) {
        groupModel_ = new GridGroupModel(model_, this);
        connect(groupModel_, &GridGroupModel::groupsChanged, this, &DataGrid::updateSpans);
    }
    groupModel_->setSummaries(std::move(groupSummaries));
    groupModel_->setGroupColumn(c);
    groupModel_->setFallbackSummaryColumn(firstVisibleColumn());
    attachViewModel();
}

void DataGrid::clearGrouping()
{
    if (!groupModel_) return;
    rememberFocus();
    GridGroupModel *old = groupModel_;
    groupModel_ = nullptr;
    attachViewModel();
    old->deleteLater();
}

void DataGrid::expandAllGroups()
{
    if (groupModel_) groupModel_->expandAll();
}

void DataGrid::collapseAllGroups()
{
    if (groupModel_) groupModel_->collapseAll();
}

void DataGrid::attachViewModel()
{
    GridModelBase *vm = viewModel();
    for (const auto &c : viewModelConnections_) disconnect(c);
    viewModelConnections_.clear();
    QItemSelectionModel *oldSelection = view_->selectionModel();
    view_->setModel(vm);
    if (oldSelection && oldSelection != view_->selectionModel()) oldSelection->deleteLater();
    viewModelConnections_.push_back(connect(vm, &QAbstractItemModel::modelAboutToBeReset, this, &DataGrid::rememberFocus));
    viewModelConnections_.push_back(connect(vm, &QAbstractItemModel::modelReset, this, &DataGrid::restoreFocus));
    viewModelConnections_.push_back(connect(vm, &QAbstractItemModel::layoutChanged, this, [this] {
        const QModelIndex cur = view_->currentIndex();
        if (cur.isValid()) view_->scrollTo(cur);
        onCurrentChanged();
    }));
    viewModelConnections_.push_back(
        connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, &DataGrid::onCurrentChanged));
    applyColumnState();
    updateSpans();
    restoreFocus();
}

void DataGrid::applyColumnState()
{
    const int n = model_->columnCount();
    for (int c = 0; c < n && c < int(visible_.size()); ++c) {
        view_->setColumnHidden(c, !visible_[std::size_t(c)]);
        if (visible_[std::size_t(c)]) view_->setColumnWidth(c, widths_[std::size_t(c)]);
    }
    if (groupModel_) groupModel_->setFallbackSummaryColumn(firstVisibleColumn());
    footer_->setFallbackColumn(firstVisibleColumn());
    updateSpans();
}

// ------------------------------------------------------------ data

void DataGrid::setTable(const DataTable *table)
{
    model_->setTable(table);
}

void DataGrid::setTable(std::shared_ptr<const DataTable> table)
{
    model_->setTable(std::move(table));
}

void DataGrid::beginReload()
{
    if (popup_) popup_->close();
    clearSearch();
    model_->beginReload();
}

void DataGrid::endReload()
{
    pendingFocus_ = -1;
    model_->endReload();
}

void DataGrid::refresh()
{
    model_->refresh();
}

void DataGrid::notifyRowChanged(int sourceRow)
{
    model_->notifyRowChanged(sourceRow);
}

// ------------------------------------------------------------ columns

int DataGrid::columnIndex(const QString &key) const
{
    return model_->columnIndex(key);
}

void DataGrid::setColumnVisible(const QString &key, bool visible)
{
    const int c = model_->columnIndex(key);
    if (c < 0 || c >= int(visible_.size())) return;
    if (bool(visible_[std::size_t(c)]) == visible) return;
    visible_[std::size_t(c)] = visible ? 1 : 0;
    view_->setColumnHidden(c, !visible);
    if (visible) view_->setColumnWidth(c, widths_[std::size_t(c)]);
    if (groupModel_) groupModel_->setFallbackSummaryColumn(firstVisibleColumn());
    footer_->setFallbackColumn(firstVisibleColumn());
    updateSpans();
    updateChooser();
    reapplyFit();
    Q_EMIT columnVisibilityChanged(model_->column(c).key(), visible);
}

bool DataGrid::isColumnVisible(const QString &key) const
{
    const int c = model_->columnIndex(key);
    return c >= 0 && c < int(visible_.size()) && visible_[std::size_t(c)];
}

void DataGrid::setColumnInChooser(const QString &key, bool offered)
{
    const int c = model_->columnIndex(key);
    if (c < 0) return;
    model_->setColumnInChooser(c, offered);
    updateChooser();
}

void DataGrid::setColumnCaption(const QString &key, const QString &caption)
{
    const int c = model_->columnIndex(key);
    if (c < 0) return;
    model_->setColumnCaption(c, caption);
    updateChooser();
}

void DataGrid::setColumnWidth(const QString &key, int width)
{
    const int c = model_->columnIndex(key);
    if (c < 0 || width <= 0) return;
    widths_[std::size_t(c)] = width;
    if (visible_[std::size_t(c)]) view_->setColumnWidth(c, width);
}

int DataGrid::columnWidth(const QString &key) const
{
    const int c = model_->columnIndex(key);
    if (c < 0) return -1;
    return visible_[std::size_t(c)] ? view_->columnWidth(c) : widths_[std::size_t(c)];
}

void DataGrid::fitColumnsByWeight()
{
    fitColumnsByWeight(0);
}

void DataGrid::fitColumnsByWeight(int gridWidth)
{
    fit_ = Fit::Weights;
    fitWidth_ = gridWidth;
    std::vector<int> weights;
    weights.reserve(model_->columns().size());
    for (const GridColumn &c : model_->columns()) weights.push_back(c.weight);
    FitColumnsByWeight(view_, weights, gridWidth > 0 ? gridWidth : width());
    for (int c = 0; c < model_->columnCount(); ++c)
        if (visible_[std::size_t(c)]) widths_[std::size_t(c)] = view_->columnWidth(c);
    footer_->update();
}

void DataGrid::fitColumnsToContent()
{
    fit_ = Fit::Content;
    constexpr int kSampleRows = 1000;
    constexpr int kMaxWidth = 600;
    GridModelBase *vm = viewModel();
    const QFontMetrics fm(view_->font());
    const QFontMetrics hfm(header_->font());
    const int rows = std::min(vm->rowCount(), kSampleRows);
    const bool updates = view_->updatesEnabled();
    view_->setUpdatesEnabled(false);
    for (int c = 0; c < model_->columnCount(); ++c) {
        if (!visible_[std::size_t(c)]) continue;
        const GridColumn &gc = model_->column(c);
        int w = hfm.horizontalAdvance(gc.headerText()) + 16 + (options_.headerFilters && gc.filterable ? 18 : 0) + 12;
        switch (gc.kind) {
        case CellKind::Text:
            for (int r = 0; r < rows; ++r) {
                if (vm->rowKind(r) != GridModelBase::RowKind::Data) continue;
                const QString t = vm->index(r, c).data(Qt::DisplayRole).toString();
                if (t.isEmpty()) continue;
                int tw = 0;
                for (const QStringView line : QStringView(t).split(QLatin1Char('\n'))) tw = std::max(tw, fm.horizontalAdvance(line.toString()));
                w = std::max(w, tw + 14);
                if (w >= kMaxWidth) break;
            }
            break;
        case CellKind::Icon: w = std::max(w, 44); break;
        case CellKind::CheckBox: w = std::max(w, 32); break;
        case CellKind::ProgressBar: w = std::max(w, 120); break;
        case CellKind::Button: w = std::max(w, fm.horizontalAdvance(gc.buttonText) + 56); break;
        case CellKind::Picture: w = std::max(w, options_.rowHeight + 8); break;
        case CellKind::Custom:
            if (gc.width > 0) w = std::max(w, gc.width);
            else w = std::max(w, 150);
            break;
        }
        // Group footers show sums under their columns: leave room for them.
        if (groupModel_)
            for (int r = 0; r < vm->rowCount(); ++r)
                if (vm->rowKind(r) == GridModelBase::RowKind::GroupFooter) {
                    const QString t = vm->index(r, c).data(Qt::DisplayRole).toString();
                    if (!t.isEmpty()) w = std::max(w, fm.horizontalAdvance(t) + 20);
                }
        const QString ft = footer_->textUnder(c);
        if (!ft.isEmpty()) w = std::max(w, fm.horizontalAdvance(ft) + 24);
        w = std::min(w, kMaxWidth);
        widths_[std::size_t(c)] = w;
        view_->setColumnWidth(c, w);
    }
    view_->setUpdatesEnabled(updates);
    footer_->update();
}

void DataGrid::reapplyFit()
{
    if (fit_ == Fit::Weights) fitColumnsByWeight(fitWidth_);
    else if (fit_ == Fit::Content) fitColumnsToContent();
}

void DataGrid::updateChooser()
{
    if (!chooser_) return;
    std::vector<GridColumnChooser::Entry> entries;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const GridColumn &gc = model_->column(c);
        if (!gc.inChooser) continue;
        entries.push_back({c, gc.headerText(), bool(visible_[std::size_t(c)])});
    }
    chooser_->setEntries(entries);
}

void DataGrid::showColumnChooser()
{
    if (!options_.columnChooser) return;
    if (!chooser_) {
        chooser_ = new GridColumnChooser(this);
        connect(chooser_, &GridColumnChooser::visibilityToggled, this,
                [this](int c, bool on) { setColumnVisible(model_->column(c).key(), on); });
    }
    updateChooser();
    chooser_->show();
    chooser_->raise();
}

int DataGrid::firstVisibleColumn() const
{
    const QHeaderView *h = view_->horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (logical >= 0 && logical < int(visible_.size()) && visible_[std::size_t(logical)]) return logical;
    }
    return 0;
}

// ------------------------------------------------------------ footer, filter bar, spans

void DataGrid::updateFooter()
{
    if (footerSummaries_.empty()) {
        footer_->setCells({});
        return;
    }
    footer_->setCells(ComputeSummaries(*model_, footerSummaries_));
}

QString DataGrid::footerText(const QString &columnKey) const
{
    const int c = model_->columnIndex(columnKey);
    return c < 0 ? QString() : footer_->textUnder(c);
}

void DataGrid::updateFilterBar()
{
    const std::vector<int> cols = model_->filteredColumns();
    if (cols.empty()) {
        filterBar_->hide();
        return;
    }
    QStringList names;
    for (int c : cols) names << model_->column(c).headerText();
    filterLabel_->setText(QStringLiteral("Filtre: ") + names.join(QStringLiteral(", ")));
    filterBar_->show();
}

void DataGrid::updateSpans()
{
    view_->clearSpans();
    if (!groupModel_) return;
    const int first = firstVisibleColumn();
    const int span = model_->columnCount() - first;
    if (span <= 1) return;
    const auto &lines = groupModel_->layout().lines();
    for (int r = 0; r < int(lines.size()); ++r)
        if (lines[std::size_t(r)].kind == GridModelBase::RowKind::GroupHeader) view_->setSpan(r, first, 1, span);
}

// ------------------------------------------------------------ filters and search

void DataGrid::clearFilters()
{
    model_->clearFilters();
}

GridFilterPopup *DataGrid::openFilterPopup(const QString &key)
{
    const int c = model_->columnIndex(key);
    if (c < 0) return nullptr;
    const QRect section(header_->viewport()->mapToGlobal(QPoint(header_->sectionViewportPosition(c), 0)),
                        QSize(header_->sectionSize(c), header_->height()));
    openFilterPopupAt(c, section);
    return popup_;
}

void DataGrid::openFilterPopupAt(int column, const QRect &globalRect)
{
    if (popup_) popup_->close();
    if (column < 0 || column >= model_->columnCount() || !model_->column(column).filterable) return;
    auto *popup = new GridFilterPopup(model_->filterValues(column), this);
    connect(popup, &GridFilterPopup::filterChosen, this, [this, column](const std::optional<FilterKeySet> &keys) {
        if (!keys)
            model_->clearColumnFilter(column);
        else
            model_->setColumnFilter(column, *keys);
    });
    connect(popup, &GridFilterPopup::closed, header_, [this] { header_->setPopupSection(-1); });
    popup_ = popup;
    header_->setPopupSection(column);
    popup->showUnder(globalRect);
}

int DataGrid::searchColumn() const
{
    const QModelIndex cur = view_->currentIndex();
    if (cur.isValid() && !view_->isColumnHidden(cur.column())) return cur.column();
    return firstVisibleColumn();
}

bool DataGrid::searchFor(const QString &text)
{
    if (text.isEmpty()) {
        clearSearch();
        return true;
    }
    GridModelBase *vm = viewModel();
    const int col = searchColumn();
    const int row = vm->findRowStartingWith(col, text, 0);
    if (row < 0) return false;
    search_ = text;
    searching_ = true;
    const QModelIndex idx = vm->index(row, col);
    view_->setCurrentIndex(idx);
    view_->scrollTo(idx);
    searching_ = false;
    delegate_->setSearchHighlight(QPersistentModelIndex(idx), int(text.size()));
    view_->viewport()->update();
    return true;
}

void DataGrid::clearSearch()
{
    if (search_.isEmpty()) return;
    search_.clear();
    delegate_->setSearchHighlight(QPersistentModelIndex(), 0);
    view_->viewport()->update();
}

bool DataGrid::handleKey(QKeyEvent *ke)
{
    // Group lines open and close with the arrow and +/- keys.
    const QModelIndex cur = view_->currentIndex();
    if (groupModel_ && cur.isValid() && groupModel_->rowKind(cur.row()) == GridModelBase::RowKind::GroupHeader) {
        const int g = groupModel_->groupAt(cur.row());
        if (ke->key() == Qt::Key_Left || ke->key() == Qt::Key_Minus) {
            groupModel_->setGroupExpanded(g, false);
            return true;
        }
        if (ke->key() == Qt::Key_Right || ke->key() == Qt::Key_Plus) {
            groupModel_->setGroupExpanded(g, true);
            return true;
        }
    }
    if (!options_.incrementalSearch) return false;
    if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        clearSearch();
        return false;
    }
    if (ke->key() == Qt::Key_Escape && !search_.isEmpty()) {
        clearSearch();
        return true;
    }
    if (ke->key() == Qt::Key_Backspace) {
        if (search_.isEmpty()) return false;
        const QString shorter = search_.left(search_.size() - 1);
        if (shorter.isEmpty())
            clearSearch();
        else
            searchFor(shorter);
        return true;
    }
    const QString text = ke->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(text == QLatin1String(" ") && search_.isEmpty())) {
        if (!searchFor(search_ + text)) QApplication::beep();
        return true;
    }
    if (ke->key() != Qt::Key_Shift) clearSearch();
    return false;
}

// ------------------------------------------------------------ focus

int DataGrid::focusedSourceRow() const
{
    const QModelIndex cur = view_->currentIndex();
    return cur.isValid() ? viewModel()->sourceRowAt(cur.row()) : -1;
}

GridRow DataGrid::focusedRow() const
{
    const QModelIndex cur = view_->currentIndex();
    const int src = focusedSourceRow();
    return src < 0 ? GridRow() : GridRow(model_, src, cur.row());
}

void DataGrid::setFocusedSourceRow(int sourceRow)
{
    const int row = viewModel()->rowOfSourceRow(sourceRow);
    if (row < 0) return;
    const QModelIndex cur = view_->currentIndex();
    const int col = cur.isValid() ? cur.column() : firstVisibleColumn();
    const QModelIndex idx = viewModel()->index(row, col);
    view_->setCurrentIndex(idx);
    view_->scrollTo(idx);
}

void DataGrid::rememberFocus()
{
    const QModelIndex cur = view_->currentIndex();
    pendingFocus_ = model_->isDetached() ? -1 : focusedSourceRow();
    pendingColumn_ = cur.isValid() ? cur.column() : -1;
}

void DataGrid::restoreFocus()
{
    GridModelBase *vm = viewModel();
    int row = pendingFocus_ >= 0 ? vm->rowOfSourceRow(pendingFocus_) : -1;
    if (row < 0)
        for (int r = 0; r < vm->rowCount(); ++r)
            if (vm->rowKind(r) == GridModelBase::RowKind::Data) {
                row = r;
                break;
            }
    if (row < 0 && vm->rowCount() > 0) row = 0;
    if (row >= 0) {
        int col = pendingColumn_ >= 0 && pendingColumn_ < vm->columnCount() && !view_->isColumnHidden(pendingColumn_)
                      ? pendingColumn_
                      : firstVisibleColumn();
        const QModelIndex idx = vm->index(row, col);
        view_->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view_->scrollTo(idx);
    }
    pendingFocus_ = -1;
    onCurrentChanged();
}

void DataGrid::onCurrentChanged()
{
    if (!searching_) clearSearch();
    const QModelIndex cur = view_->currentIndex();
    indicator_->setCurrentRow(cur.isValid() ? cur.row() : -1);
    const int src = focusedSourceRow();
    if (src != lastFocused_) {
        lastFocused_ = src;
        Q_EMIT focusedRowChanged(src);
    }
}

// ------------------------------------------------------------ sorting and header menu

void DataGrid::onSortClicked(int column, Qt::KeyboardModifiers modifiers)
{
    if (!options_.sorting || !model_->sortingAllowed()) return;
    if (modifiers & Qt::ControlModifier) {
        model_->clearSort();
        return;
    }
    if (model_->sortColumn() == column)
        model_->sort(column, model_->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    else
        model_->sort(column, Qt::AscendingOrder);
}

void DataGrid::showHeaderMenu(const QPoint &pos)
{
    const int c = header_->logicalIndexAt(pos);
    QMenu menu(this);
    if (options_.sorting && model_->sortingAllowed() && c >= 0 && model_->column(c).sortable) {
        menu.addAction(QStringLiteral("Artan Sırala"), this, [this, c] { model_->sort(c, Qt::AscendingOrder); });
        menu.addAction(QStringLiteral("Azalan Sırala"), this, [this, c] { model_->sort(c, Qt::DescendingOrder); });
        if (model_->sortColumn() >= 0) menu.addAction(QStringLiteral("Sıralamayı Kaldır"), this, [this] { model_->clearSort(); });
        menu.addSeparator();
    }
    if (model_->hasFilters()) menu.addAction(QStringLiteral("Filtreyi Temizle"), this, &DataGrid::clearFilters);
    if (options_.columnChooser) menu.addAction(QStringLiteral("Sütun Seçici"), this, &DataGrid::showColumnChooser);
    if (!menu.isEmpty()) menu.exec(header_->viewport()->mapToGlobal(pos));
}

// ------------------------------------------------------------ busy

void DataGrid::setBusy(bool busy)
{
    if (busy) {
        overlay_->setGeometry(view_->geometry());
        overlay_->start();
        view_->setEnabled(false);
    } else {
        overlay_->stop();
        view_->setEnabled(true);
    }
}

bool DataGrid::isBusy() const
{
    return overlay_->isRunning();
}

// ------------------------------------------------------------ export

std::unique_ptr<GridExportModel> DataGrid::createExportModel() const
{
    std::vector<int> columns;
    const QHeaderView *h = view_->horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int c = h->logicalIndex(v);
        if (c < 0 || c >= model_->columnCount() || !visible_[std::size_t(c)]) continue;
        if (!model_->column(c).exportable) continue;
        columns.push_back(c);
    }
    return std::make_unique<GridExportModel>(model_, std::move(columns), groupModel_ ? &groupModel_->layout() : nullptr,
                                             footerSummaries_);
}

void DataGrid::exportToExcel(const QString &fileName)
{
    const auto exportModel = createExportModel();
    QProgressDialog progress(QStringLiteral("Excel dosyası yazılıyor..."), QString(), 0, 100, this);
    progress.setWindowTitle(QStringLiteral("Excel Kaydet"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setCancelButton(nullptr);
    progress.setAutoClose(true);
    const quint64 generation = model_->generation();
    ExportGridToExcel(fileName, exportModel.get(), [&](qint64 done, qint64 total) {
        progress.setMaximum(int(std::clamp<qint64>(total, 1, std::numeric_limits<int>::max())));
        progress.setValue(int(std::min<qint64>(done, progress.maximum())));
        // Keep the window painted; queued work runs too, and a reload that
        // starts meanwhile ends the export before another row is read.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (model_->generation() != generation)
            throw std::runtime_error("the list was reloaded while it was being exported to " + fileName.toStdString());
    });
}

QString DataGrid::exportToExcelWithDialog()
{
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Excel Kaydet"), QString(),
                                                        QStringLiteral("Excel (*.xls*)"));
    if (chosen.isEmpty()) return QString();
    const QString file = ExcelExportFileName(chosen);
    exportToExcel(file);
    return file;
}

// ------------------------------------------------------------ events

void DataGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    overlay_->setGeometry(view_->geometry());
    if (options_.autoFitByWeight) fitColumnsByWeight(0);
    Q_EMIT resized(size());
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        if (handleKey(static_cast<QKeyEvent *>(event))) return true;
    } else if (watched == view_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton) {
            const QPoint pos = me->position().toPoint();
            const QModelIndex idx = view_->indexAt(pos);
            if (idx.isValid()) {
                GridModelBase *vm = viewModel();
                const auto kind = vm->rowKind(idx.row());
                if (kind == GridModelBase::RowKind::GroupHeader && groupModel_) {
                    const int g = groupModel_->groupAt(idx.row());
                    groupModel_->setGroupExpanded(g, !groupModel_->isGroupExpanded(g));
                    return true;
                }
                if (kind == GridModelBase::RowKind::Data) {
                    const GridColumn &gc = model_->column(idx.column());
                    const QRect cell = view_->visualRect(idx);
                    const bool onControl =
                        (gc.kind == CellKind::Button && GridDelegate::buttonRect(cell).contains(pos)) ||
                        (gc.kind == CellKind::CheckBox && GridDelegate::checkBoxRect(cell).adjusted(-3, -3, 3, 3).contains(pos));
                    if (!onControl) Q_EMIT rowDoubleClicked(vm->sourceRowAt(idx.row()));
                }
            }
        }
    } else if (watched == view_ && event->type() == QEvent::FocusOut) {
        clearSearch();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tarsel
