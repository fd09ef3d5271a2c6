#include "grid/gridcolumn.h"

namespace tarsel {

const IconValue *IconSet::find(qint64 v) const
{
    for (const auto &iv : values)
        if (iv.value == v) return &iv;
    if (fallback >= 0 && fallback < int(values.size())) return &values[std::size_t(fallback)];
    return nullptr;
}

IconSet IconSet::stockStates()
{
    IconSet s;
    s.values = {
        {0, QStringLiteral("Yok"), QStringLiteral("stock-none")},
        {1, QStringLiteral("Var"), QStringLiteral("stock-available")},
        {2, QStringLiteral("Telefon Açınız"), QStringLiteral("stock-call")},
        {3, QStringLiteral("Yolda"), QStringLiteral("stock-on-the-way")},
        {4, QStringLiteral("Özel Sipariş"), QStringLiteral("stock-special-order")},
        {5, QStringLiteral("Tedarik Sürecinde"), QStringLiteral("stock-procuring")},
    };
    return s;
}

IconSet IconSet::yesNo(bool iconForNo)
{
    IconSet s;
    s.values = {
        {0, QStringLiteral("Hayır"), iconForNo ? QStringLiteral("no") : QString()},
        {1, QStringLiteral("Evet"), QStringLiteral("yes")},
    };
    return s;
}

IconSet IconSet::pictureFlag()
{
    IconSet s;
    s.values = {
        {0, QStringLiteral("Yok"), QString()},
        {1, QStringLiteral("Var"), QStringLiteral("picture-available")},
    };
    return s;
}

IconSet IconSet::documentTypes()
{
    IconSet s;
    s.values = {
        {0, QStringLiteral("Dosya"), QStringLiteral("doc-generic")},
        {1, QStringLiteral("Veritabanı"), QStringLiteral("doc-database")},
        {2, QStringLiteral("Resim"), QStringLiteral("doc-picture")},
        {3, QStringLiteral("Word"), QStringLiteral("doc-word")},
        {4, QStringLiteral("PDF"), QStringLiteral("doc-pdf")},
        {5, QStringLiteral("Sunum"), QStringLiteral("doc-presentation")},
        {6, QStringLiteral("Excel"), QStringLiteral("doc-spreadsheet")},
    };
    s.fallback = 0;
    return s;
}

GridColumn GridColumn::text(const QString &field, const QString &caption, int weight)
{
    GridColumn c;
    c.field = field;
    c.caption = caption;
    c.weight = weight;
    return c;
}

GridColumn GridColumn::icon(const QString &field, const QString &caption, int weight, IconSet set)
{
    GridColumn c = text(field, caption, weight);
    c.kind = CellKind::Icon;
    c.alignment = Qt::AlignHCenter;
    c.icons = std::move(set);
    return c;
}

GridColumn GridColumn::checkBox(const QString &field, const QString &caption, int weight)
{
    GridColumn c = text(field, caption, weight);
    c.kind = CellKind::CheckBox;
    c.alignment = Qt::AlignHCenter;
    return c;
}

GridColumn GridColumn::progress(const QString &field, const QString &caption, int weight)
{
    GridColumn c = text(field, caption, weight);
    c.kind = CellKind::ProgressBar;
    c.filterable = false;
    return c;
}

GridColumn GridColumn::button(const QString &id, const QString &caption, const QString &iconName,
                              const QString &buttonText, int weight)
{
    GridColumn c;
    c.id = id;
    c.caption = caption;
    c.weight = weight;
    c.kind = CellKind::Button;
    c.buttonIcon = iconName;
    c.buttonText = buttonText;
    c.sortable = false;
    c.filterable = false;
    c.exportable = false;
    c.alignment = Qt::AlignHCenter;
    return c;
}

GridColumn GridColumn::picture(const QString &field, const QString &caption, int weight)
{
    GridColumn c = text(field, caption, weight);
    c.kind = CellKind::Picture;
    c.sortable = false;
    c.filterable = false;
    c.exportable = false;
    c.alignment = Qt::AlignHCenter;
    return c;
}

GridColumn GridColumn::custom(const QString &id, const QString &caption, int weight, CellPainter painter,
                              CellValue value)
{
    GridColumn c;
    c.id = id;
    c.caption = caption;
    c.weight = weight;
    c.kind = CellKind::Custom;
    c.paint = std::move(painter);
    c.value = std::move(value);
    c.sortable = bool(c.value);
    c.filterable = bool(c.value);
    c.exportable = bool(c.value);
    return c;
}

}  // namespace tarsel
