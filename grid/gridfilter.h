#pragma once
// Values of the header filters.
//
// A header filter keeps the set of values the user ticked for one column. A
// value is compared the way the user sees it: text by its bytes, integers by
// value, money columns rounded to the decimals they show (1,234 and 1,2341
// are one entry "1,23"), dates to the second, and null as its own entry.

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarsel {

struct FilterKeyRef;

struct FilterKey {
    enum Kind : std::uint8_t { Null, Int, Real, Text };
    Kind kind = Null;
    std::int64_t i = 0;
    double d = 0;
    std::string s;

    static FilterKey null() { return {}; }
    static FilterKey integer(std::int64_t v) { return {Int, v, 0, {}}; }
    static FilterKey real(double v) { return {Real, 0, v == 0 ? 0.0 : v, {}}; }  // -0 is 0
    static FilterKey text(std::string_view v) { return {Text, 0, 0, std::string(v)}; }
    static FilterKey text(const QString &v);
    FilterKey() = default;
    FilterKey(Kind k, std::int64_t iv, double dv, std::string sv) : kind(k), i(iv), d(dv), s(std::move(sv)) {}
    explicit FilterKey(const FilterKeyRef &r);

    bool operator==(const FilterKey &o) const { return kind == o.kind && i == o.i && d == o.d && s == o.s; }
};

// A key that points into the table (no copy); what lookups while filtering use.
struct FilterKeyRef {
    FilterKey::Kind kind = FilterKey::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string_view s;
};

struct FilterKeyHash {
    using is_transparent = void;
    std::size_t operator()(const FilterKey &k) const { return hash(k.kind, k.i, k.d, k.s); }
    std::size_t operator()(const FilterKeyRef &k) const { return hash(k.kind, k.i, k.d, k.s); }
    static std::size_t hash(FilterKey::Kind kind, std::int64_t i, double d, std::string_view s);
};

struct FilterKeyEq {
    using is_transparent = void;
    static bool eq(FilterKey::Kind ka, std::int64_t ia, double da, std::string_view sa, FilterKey::Kind kb,
                   std::int64_t ib, double db, std::string_view sb)
    {
        return ka == kb && ia == ib && da == db && sa == sb;
    }
    bool operator()(const FilterKey &a, const FilterKey &b) const { return a == b; }
    bool operator()(const FilterKeyRef &a, const FilterKey &b) const { return eq(a.kind, a.i, a.d, a.s, b.kind, b.i, b.d, b.s); }
    bool operator()(const FilterKey &a, const FilterKeyRef &b) const { return eq(a.kind, a.i, a.d, a.s, b.kind, b.i, b.d, b.s); }
    bool operator()(const FilterKeyRef &a, const FilterKeyRef &b) const { return eq(a.kind, a.i, a.d, a.s, b.kind, b.i, b.d, b.s); }
};

using FilterKeySet = std::unordered_set<FilterKey, FilterKeyHash, FilterKeyEq>;

// One entry of a header filter's list: a distinct value of the column among
// the rows that the other columns' filters let through.
struct FilterValue {
    FilterKey key;
    QString text;      // as the grid shows it; "(Boş)" for null and empty text
    int count = 0;     // rows holding the value
    int sampleRow = -1;  // a table row holding the value
    bool accepted = true;  // ticked in the column's current filter
};

// Caption of the list entry that stands for empty cells.
inline const QString &BlankFilterText()
{
    static const QString t = QStringLiteral("(Boş)");
    return t;
}

// Caption of the entry that ticks or clears every entry of the list.
inline const QString &AllFilterText()
{
    static const QString t = QStringLiteral("(Tümü)");
    return t;
}

// The entries of `values` whose text contains `narrow` (case-insensitive, see
// FoldForSearch); all of them for an empty text. Returns their indexes.
std::vector<int> NarrowFilterValues(const std::vector<FilterValue> &values, const QString &narrow);

// The ticks of one header filter's list while the user edits it: every value
// with its tick, the narrowing text and the "(Tümü)" entry that ticks or
// clears every listed value.
class FilterChoice {
public:
    explicit FilterChoice(std::vector<FilterValue> values);

    const std::vector<FilterValue> &values() const { return values_; }
    void setNarrowText(const QString &text);
    QString narrowText() const { return narrow_; }
    const std::vector<int> &shown() const { return shown_; }  // value indexes listed

    bool isChecked(int value) const { return checked_[std::size_t(value)] != 0; }
    void setChecked(int value, bool checked) { checked_[std::size_t(value)] = checked ? 1 : 0; }
    void toggle(int value) { setChecked(value, !isChecked(value)); }

    // State of "(Tümü)": over the listed values.
    Qt::CheckState allState() const;
    void setAllShown(bool checked);

    // Something listed is ticked (an empty result is not offered).
    bool canAccept() const;
    // The filter the choice stands for: nothing when every value is ticked
    // and nothing is narrowed away (the column is not filtered), otherwise
    // the listed values that are ticked.
    std::optional<FilterKeySet> result() const;

private:
    std::vector<FilterValue> values_;
    std::vector<char> checked_;
    std::vector<int> shown_;
    QString narrow_;
};

}  // namespace tarsel
